// The narrow view of the main dialog's controls through which the rules
// engine enables, ticks, captions and shows them. The Win32 dialog
// implements it on real windows; the tests and the command-line tool on a
// model that behaves as the real controls do.
#pragma once

#include <cstddef>
#include <string_view>

struct MainDialogControls {
    virtual ~MainDialogControls() = default;

    // The control's 8-bit text: copies at most `capacity` bytes of it into
    // `buffer` (no terminator) and returns its whole length, so that a
    // longer text can be read again into a larger buffer.
    virtual size_t Text(int id, char* buffer, size_t capacity) = 0;

    // What a control shows now: read from the control itself, because a
    // user's click changes ticks behind the engine's back.
    virtual bool HasText(int id, std::string_view text) = 0;  // caption or label text is exactly `text`
    virtual bool IsTicked(int id) = 0;
    virtual bool IsEnabled(int id) = 0;
    virtual bool IsShown(int id) = 0;

    // Changing it.
    virtual void SetText(int id, std::string_view text) = 0;
    virtual void SetTicked(int id, bool ticked) = 0;  // from code: this control alone
    virtual void SetEnabled(int id, bool enabled) = 0;
    virtual void SetShown(int id, bool shown) = 0;

    // Queues a change notification of the diagram-number box, handled after
    // the current message as if the user had changed the text.
    virtual void PostDiagramTextChanged() = 0;

    // The engine changes a control only where it differs from what is
    // wanted: typing then redraws and notifies nothing that stays the same.
    void UpdateText(int id, std::string_view text) {
        if (!HasText(id, text)) SetText(id, text);
    }
    void UpdateTicked(int id, bool ticked) {
        if (IsTicked(id) != ticked) SetTicked(id, ticked);
    }
    void UpdateEnabled(int id, bool enabled) {
        if (IsEnabled(id) != enabled) SetEnabled(id, enabled);
    }
    void UpdateShown(int id, bool shown) {
        if (IsShown(id) != shown) SetShown(id, shown);
    }
};
