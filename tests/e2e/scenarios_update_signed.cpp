// The update check of the build that carries a test key (UsingSignedBuild):
// a list is taken only with a valid signature beside it, and a download
// line only with its SHA-256; whatever does not verify shows nothing from
// the list and starts nothing.
#include <string>

#include "scenario_support.h"
#include "update_scenario_support.h"

namespace {

std::string NotVerified() { return "Could not verify the update list from " + Host() + " (-8)"; }

}  // namespace

E2E_SCENARIO(update_signed_list_offers_the_update) {
    UpdateScenario s;
    if (!s.BeginSigned()) return;
    UsingSignedBuild signedBuild;
    Serve(kListPath, "Brantle,1.11,1,brantle.html\n");
    ServeSignature("signed");
    if (!s.Start() || !ExpectUpgradePrompt(s.child, "1.11", s.about, IDNO, "a signed list")) return;
    Check(WasRequested("GET /uploaded/software/updates.txt.sig signed"), "the signature was fetched beside the list",
          RequestLog());
    std::string served;
    std::string kept;
    Check(ReadBytes(ServerRoot() + "\\" + WindowsPath(kSignaturePath) + ".served", served) && !served.empty() &&
              ReadBytes(TempFolder() + "UpdateList.sig", kept) && kept == served,
          "the signature stays in the temporary folder as UpdateList.sig");
    ExpectAboutStaysOpen(s.child, s.about, "after a signed list");
}

E2E_SCENARIO(update_signed_method_4_with_its_hash_starts_the_installer) {
    const std::string name = "brantle-signed-setup.exe";
    UpdateScenario s;
    if (!s.BeginSigned({name})) return;
    UsingSignedBuild signedBuild;
    const std::string installer = MarkerExeBytes();
    const std::string hash = CheckedSha256Hex(installer);
    if (installer.empty() || hash.empty()) return;
    Serve("uploaded/protected/" + name, installer);
    Serve(kListPath, "Brantle,1.11,4," + name + "," + std::to_string(installer.size()) + "," + hash + "\n");
    ServeSignature("signed");
    if (!s.Start() || !ExpectUpgradePrompt(s.child, "1.11", s.about, IDYES, "a signed method-4 line")) return;
    ExpectExit(s.child, s.about, 0, "a signed method-4 line: the program ends with 0");
    std::string saved;
    Check(ReadBytes(TempFolder() + name, saved) && saved == installer,
          "a signed method-4 line: the download is saved whole");
    ExpectMarker(TempFolder() + name, "a signed method-4 line");
}

E2E_SCENARIO(update_signed_list_that_does_not_verify_starts_nothing) {
    if (!ServerConfigured() || !SignedBuildGiven()) return;
    UsingSignedBuild signedBuild;
    const std::string name = "brantle-unverified-setup.exe";
    const std::string installer = MarkerExeBytes();
    if (installer.empty()) return;
    const std::string browserLine = "Brantle,1.11,1,brantle.html\n";
    struct Case {
        const char* what;
        std::string list;
        const char* listMode;
        const char* signatureMode;  // null: no signature on the server, which answers 404
    };
    const Case cases[] = {
        {"one byte of the signed list changed", browserLine, "altered", "signed"},
        {"the last byte of a signed list of 2 MB changed", browserLine + std::string(2 << 20, 'x'), "altered",
         "signed"},
        {"no signature on the server", browserLine, "ok", nullptr},
        {"a signature by another key", browserLine, "ok", "signed-by-other"},
        {"a signed method-4 line without a SHA-256",
         "Brantle,1.11,4," + name + "," + std::to_string(installer.size()) + "\n", "ok", "signed"},
    };
    for (const Case& c : cases) {
        // Each case with a program of its own and a fresh server and folder.
        UpdateScenario s;
        s.ResetSigned({name});
        Serve("uploaded/protected/" + name, installer);
        Serve(kListPath, c.list, c.listMode);
        if (c.signatureMode) ServeSignature(c.signatureMode);
        ExpectFailure(s, false, NotVerified(), c.what, {name});
        Check(RequestLog().find("GET /uploaded/software/updates.txt.sig ") != std::string::npos,
              std::string(c.what) + ": the signature was asked for", RequestLog());
        Check(RequestLog().find("/uploaded/protected/") == std::string::npos,
              std::string(c.what) + ": nothing was downloaded", RequestLog());
        s.ExpectNothingOpened(std::string(c.what) + ": nothing was opened in the browser");
    }
}
