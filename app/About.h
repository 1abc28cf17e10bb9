// The About dialog: program name, description, the version read from the
// executable's own version resource, the maker's link and notice.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "components/QibGradPanel.h"
#include "components/QibLinkLabel.h"
#include "controls/cxButtons.h"
#include "forms/ExtCtrls.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"

class TfrmAbout : public forms::TForm {
public:
    // Creates the dialog, hidden, from its stored description and runs
    // FormCreate, which reads the version once.
    static std::unique_ptr<TfrmAbout> Create();
    // From a given description (tests).
    static std::unique_ptr<TfrmAbout> Create(const forms::ObjectNode& description);

    const char* ClassName() const override { return "TfrmAbout"; }

    // Published components.
    components::TQibGradPanel* pnlBase = nullptr;
    forms::TImage* imgLogo = nullptr;
    forms::TLabel* lblProgName = nullptr;
    forms::TLabel* lblDesc = nullptr;
    forms::TLabel* lblVersion = nullptr;
    components::TQibLinkLabel* lblWebsite = nullptr;
    forms::TLabel* lblCopyright = nullptr;
    forms::TBevel* bvlLine = nullptr;
    controls::TcxButton* btnOk = nullptr;

    void FormCreate(forms::TComponent* sender);

    // Reads the version text of an executable; lets tests count or replace
    // the reading.
    using VersionReader = std::string (*)(const std::string& path);
    static void SetVersionReader(VersionReader reader);

protected:
    TfrmAbout();
    forms::TMethod FindMethod(const std::string& name) override;
    void Loaded() override;

private:
    // The running executable's version, "1.5.0"; empty when it has none.
    std::string GetFileVersionText();
};

// "major.minor.release" of a file version, the build number left out.
std::string VersionText(DWORD versionMS, DWORD versionLS);
// The version text of a file's version resource; empty when the file has
// no readable one.
std::string FileVersionText(const std::string& path);
