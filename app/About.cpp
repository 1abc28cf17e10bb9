#include "app/About.h"

#include <vector>

using namespace forms;

namespace {
TfrmAbout::VersionReader gVersionReader = FileVersionText;

std::string ModulePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
}  // namespace

std::string VersionText(DWORD versionMS, DWORD versionLS) {
    return std::to_string(HIWORD(versionMS)) + "." + std::to_string(LOWORD(versionMS)) + "." +
           std::to_string(HIWORD(versionLS));
}

std::string FileVersionText(const std::string& path) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return {};
    std::vector<char> buffer(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(buffer.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof *info || info->dwSignature != VS_FFI_SIGNATURE)
        return {};
    return VersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

void TfrmAbout::SetVersionReader(VersionReader reader) { gVersionReader = reader ? reader : FileVersionText; }

TfrmAbout::TfrmAbout() : TForm(nullptr) {}

std::unique_ptr<TfrmAbout> TfrmAbout::Create() {
    std::unique_ptr<TfrmAbout> form(new TfrmAbout());
    form->TCustomForm::Create();
    return form;
}

std::unique_ptr<TfrmAbout> TfrmAbout::Create(const ObjectNode& description) {
    std::unique_ptr<TfrmAbout> form(new TfrmAbout());
    form->TCustomForm::Create(description);
    return form;
}

TMethod TfrmAbout::FindMethod(const std::string& name) {
    if (name == "FormCreate") return std::function<void(TComponent*)>([this](TComponent* s) { FormCreate(s); });
    return TForm::FindMethod(name);
}

void TfrmAbout::Loaded() {
    TForm::Loaded();
    Bind(pnlBase, "pnlBase");
    Bind(imgLogo, "imgLogo");
    Bind(lblProgName, "lblProgName");
    Bind(lblDesc, "lblDesc");
    Bind(lblVersion, "lblVersion");
    Bind(lblWebsite, "lblWebsite");
    Bind(lblCopyright, "lblCopyright");
    Bind(bvlLine, "bvlLine");
    Bind(btnOk, "btnOk");
}

std::string TfrmAbout::GetFileVersionText() { return gVersionReader(ModulePath()); }

void TfrmAbout::FormCreate(TComponent*) {
    // An executable without a readable version shows none rather than noise.
    std::string version = GetFileVersionText();
    lblVersion->SetCaption(version.empty() ? "Version" : "Version " + version);
}
