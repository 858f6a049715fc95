// The narrow view of the main dialog's controls through which the rules
// engine enables, ticks, captions and shows them. The Win32 dialog
// implements it on real windows; the tests and the command-line tool on a
// model that behaves as the real controls do.
#pragma once

#include <string>

struct MainDialogControls {
    virtual ~MainDialogControls() = default;

    virtual std::string Text(int id) = 0;                       // 8-bit text
    virtual void SetText(int id, const std::string& text) = 0;  // caption or label text
    virtual bool IsTicked(int id) = 0;
    virtual void SetTicked(int id, bool ticked) = 0;  // from code: this control alone
    virtual void SetEnabled(int id, bool enabled) = 0;
    virtual void SetShown(int id, bool shown) = 0;

    // Queues a change notification of the diagram-number box, handled after
    // the current message as if the user had changed the text.
    virtual void PostDiagramTextChanged() = 0;
};
