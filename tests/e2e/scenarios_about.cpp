// The About dialog in both modes: its texts, pictures and buttons, and what
// its three links hand to the shell.
#include "scenario_support.h"

namespace {

// The text of the first child label whose text starts with `start`.
std::string LabelStartingWith(HWND dialog, const std::string& start) {
    for (const ChildInfo& child : Children(dialog)) {
        if (child.text.compare(0, start.size(), start) == 0) return child.text;
    }
    return "";
}

bool HasBitmap(HWND dialog, int id) {
    DWORD_PTR image = 0;
    HWND label = Item(dialog, id);
    return label && SendMessageTimeoutW(label, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_NORMAL, kStepTimeout, &image) &&
           image != 0;
}

// What both modes show.
void CheckCommonContents(HWND about, const std::string& mode) {
    CheckText(ControlText(about, IDC_RESULT), "sign illumination tool", mode + ": title");
    CheckText(LabelStartingWith(about, "version:"), "version: 1.10  build: 1", mode + ": version line");
    Check(HasBitmap(about, IDC_PRODUCT_ART) && HasBitmap(about, IDC_BULB_ART) && HasBitmap(about, IDC_LOGO_ART),
          mode + ": the three pictures are loaded");
    CheckText(ControlText(about, IDC_CHECK_UPDATES), "Check for updates", mode + ": update button");
    std::string web = ControlText(about, IDC_LINK_WEB);
    Check(web.compare(0, 4, "www.") == 0, mode + ": web address shown without a scheme", Quoted(web));
    std::string mail = ControlText(about, IDC_LINK_MAIL);
    Check(mail.find('@') != std::string::npos, mode + ": e-mail address shown", Quoted(mail));
}

// What the browser receives for a bare host name that begins with "www.":
// the shell completes it into an http:// address, with "/" for the path
// when it has none.
std::string ShellAddressOf(const std::string& bare) {
    std::string address = "http://" + bare;
    return bare.find('/') == std::string::npos ? address + "/" : address;
}

// Clicks a link label and checks what the shell was asked to open.
void CheckLink(HWND about, int id, const std::string& want, const std::string& what) {
    size_t before = BrowserLogLines().size();
    ClickLabel(about, id);
    CheckText(WaitForBrowserLine(before), want, what);
    Check(IsWindowVisible(about), what + ": the About dialog stays open");
}

}  // namespace

E2E_SCENARIO(about_start_contents_and_links) {
    ChildProcess child;
    if (!StartBrantle(child, "")) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (!about) return;
    CheckCommonContents(about, "start mode");
    const std::string familyPhrase = " the Quorvane family of traffic sign design software.\r\n\r\n";
    std::string description = LabelStartingWith(about, "One small element of");
    Check(description.rfind("One small element of" + familyPhrase, 0) == 0,
          "start mode: the description opens with the family phrase", Quoted(description));
    Check(description.find("\r\n\r\nIt does not check that the diagram number you enter is a valid one.") !=
              std::string::npos,
          "start mode: the description ends with its last paragraph");
    Check(!Item(about, IDCANCEL) && !Item(about, IDC_LINK_MORE), "start mode: no Run again and no Click here");
    CheckText(ControlText(about, IDOK), "OK", "start mode: OK button");
    SaveScreenshot(about, "about-start");
    CheckAgainstReference(about, "about-start");

    std::string mail = ControlText(about, IDC_LINK_MAIL);
    CheckLink(about, IDC_LINK_MAIL, "mailto:" + mail, "the e-mail link opens mailto: and the address");
    std::string web = ControlText(about, IDC_LINK_WEB);
    CheckLink(about, IDC_LINK_WEB, ShellAddressOf(web), "the web link opens the address shown");

    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "OK opens the main dialog");
    if (!main) return;
    PressKey(main, VK_ESCAPE);
    ExpectExit(child, main, -2, "Esc ends the program");
}

E2E_SCENARIO(about_end_contents_and_links) {
    ChildProcess child;
    if (!StartBrantle(child, "")) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (!about) return;
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "the main dialog");
    if (!main) return;
    Click(main, IDOK);
    HWND end = ExpectDialog(child, main, DialogKind::About, "the last About dialog");
    if (!end) return;
    CheckCommonContents(end, "end mode");
    std::string description = LabelStartingWith(end, "This is a module from Quorvane,");
    Check(description.rfind("This is a module from Quorvane, the Quorvane family of traffic sign design "
                            "software.\r\n\r\n",
                            0) == 0,
          "end mode: the description opens with the module sentence and the family phrase", Quoted(description));
    CheckText(ControlText(end, IDC_LINK_MORE), "Click here", "end mode: Click here link");
    CheckText(LabelStartingWith(end, "for more"), "for more information or to request an evaluation version.",
              "end mode: the text beside Click here");
    CheckText(ControlText(end, IDCANCEL), "Run again", "end mode: Run again button");
    CheckText(ControlText(end, IDOK), "Close", "end mode: Close button");
    SaveScreenshot(end, "about-end");
    CheckAgainstReference(end, "about-end");

    size_t before = BrowserLogLines().size();
    ClickLabel(end, IDC_LINK_MORE);
    std::string page = WaitForBrowserLine(before);
    const std::string suffix = "/quorvane";
    Check(page.compare(0, 11, "http://www.") == 0 && page.size() > suffix.size() &&
              page.compare(page.size() - suffix.size(), suffix.size(), suffix) == 0,
          "Click here opens the product host's /quorvane page", Quoted(page));
    Check(page != ShellAddressOf(ControlText(end, IDC_LINK_WEB) + suffix),
          "the product page is on the product host, not the maker's web address", Quoted(page));
    Click(end, IDOK);
    ExpectExit(child, end, 0, "Close ends the program with the main dialog's result");
}
