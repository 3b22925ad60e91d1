#include <windows.h>
#include <urlmon.h>

#include "platform/url_download.h"

namespace platform {
namespace {

// The binding-status callback handed to the service. It lives on the caller's stack for one call,
// so it counts no references and offers no other interfaces.
class BindStatusCallback : public IBindStatusCallbackEx {
public:
    explicit BindStatusCallback(UrlDownloadProgress& progress) : progress_(progress) {}
    virtual ~BindStatusCallback() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object) *object = nullptr;
        return E_NOTIMPL;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
    ULONG STDMETHODCALLTYPE Release() override { return 0; }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
        binding_ = binding;  // kept for debugging only; not reference-counted
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) override {
        return progress_.OnProgress(progress, progressMax) ? S_OK : E_ABORT;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO* info) override {
        if (info) info->dwCodePage = 65001;  // UTF-8
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) override { return E_NOTIMPL; }

private:
    UrlDownloadProgress& progress_;
    IBinding* binding_ = nullptr;
};

}  // namespace

std::int32_t UrlDownloadToFile(const std::wstring& url, const std::wstring& path, UrlDownloadProgress& progress) {
    BindStatusCallback callback(progress);
    return static_cast<std::int32_t>(URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, &callback));
}

}  // namespace platform
