#pragma once
#include <string>
#include <vector>

namespace cli {

// Writes "usage: installer-cli <text>" to standard error; returns the exit code for bad usage.
int Usage(const char* text);

// Each command gets the arguments after its name and returns the process exit code.
int ConfigCommand(const std::vector<std::wstring>& fullCommandLine);
int Md5Command(const std::vector<std::wstring>& args);
int GuidCommand(const std::vector<std::wstring>& args);
int ChecksCommand(const std::vector<std::wstring>& args);
int DownloadCommand(const std::vector<std::wstring>& args);
int RunPackageCommand(const std::vector<std::wstring>& args);
int RunUninstallerCommand(const std::vector<std::wstring>& args);
int InstallCommand(const std::vector<std::wstring>& args);
int StatsSelftestCommand(const std::vector<std::wstring>& args);

}  // namespace cli
