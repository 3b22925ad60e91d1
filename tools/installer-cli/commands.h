#pragma once
#include <string>
#include <vector>

namespace cli {

// Each command gets the arguments after its name and returns the process exit code.
int ConfigCommand(const std::vector<std::wstring>& fullCommandLine);
int Md5Command(const std::vector<std::wstring>& args);
int GuidCommand(const std::vector<std::wstring>& args);
int ChecksCommand(const std::vector<std::wstring>& args);
int DownloadCommand(const std::vector<std::wstring>& args);
int RunPackageCommand(const std::vector<std::wstring>& args);
int RunUninstallerCommand(const std::vector<std::wstring>& args);
int InstallCommand(const std::vector<std::wstring>& args);

}  // namespace cli
