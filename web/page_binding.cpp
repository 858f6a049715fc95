// The page's way into the rules engine: plain functions over the same
// dialog model that brantle-rules uses (schedules go through
// schedule_binding.cpp). Texts cross as 8-bit bytes in one shared buffer;
// the page converts them to and from its own strings. Nothing here decides
// anything of its own. The page's dialog owns its engine state, so a
// schedule checked beside it, in a worker or in slices on the page, leaves
// the dialog as it was.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>

#include "control_ids.h"
#include "dialog_layout.h"
#include "dialog_model.h"
#include "read_number.h"
#include "result_record.h"
#include "rule_table.h"

namespace {

// The page's elements are the dialog's controls in the dialog's order:
// element n shows the control MainDialogModel::ControlId(n).
constexpr int ELEMENT_COUNT = MainDialogModel::CONTROL_COUNT;

// The page's id of the element that shows the control `id`: "opt-" and the
// option's number for an option's control.
std::string ElementName(int id) {
    switch (id) {
        case IDC_DIAGRAM_NUMBER:
            return "diagram";
        case IDC_NONE:
            return "none";
        case IDC_RESULT_HEADER:
            return "heading";
        case IDC_RESULT:
            return "result";
        case IDC_RESULT_NOTE:
            return "note";
        default:
            return "opt-" + std::to_string(id - IDC_OPTION_BASE);
    }
}

// Bits of an element's state.
enum : int { STATE_TICKED = 1, STATE_ENABLED = 2, STATE_SHOWN = 4 };

MainDialogModel Dialog;
std::string Buffer;  // bytes from the page to the engine
std::string Text;    // bytes from the engine to the page

bool Valid(int element) { return element >= 0 && element < ELEMENT_COUNT; }

}  // namespace

extern "C" {

// A buffer of at least `size` bytes for the page to write a text into.
EMSCRIPTEN_KEEPALIVE char* brantle_buffer(size_t size) {
    Buffer.resize(size);
    return &Buffer[0];
}

// The last text asked for (by brantle_element_text and the like).
EMSCRIPTEN_KEEPALIVE const char* brantle_text() { return Text.data(); }
EMSCRIPTEN_KEEPALIVE size_t brantle_text_length() { return Text.size(); }

// The dialog's caption, and the texts of its labels that no program
// addresses ("Diagram number", "Location/" CR LF "mounting"), in their order.
EMSCRIPTEN_KEEPALIVE void brantle_dialog_caption() { Text = MainDialogLayout("").caption; }
EMSCRIPTEN_KEEPALIVE int brantle_dialog_label(int n) {
    Text.clear();
    for (const ControlLayout& control : MainDialogLayout("").controls) {
        if (control.id == -1 && n-- == 0) {
            Text = control.text;
            return 1;
        }
    }
    return 0;
}

EMSCRIPTEN_KEEPALIVE int brantle_element_count() { return ELEMENT_COUNT; }
EMSCRIPTEN_KEEPALIVE const char* brantle_element_name(int element) {
    Text = Valid(element) ? ElementName(MainDialogModel::ControlId(element)) : std::string();
    return Text.c_str();
}

// An element's state (STATE_* bits) and its text: a control's caption, a
// label's text, the box's text.
EMSCRIPTEN_KEEPALIVE int brantle_element_state(int element) {
    if (!Valid(element)) return 0;
    const ModelControl& control = Dialog.Control(MainDialogModel::ControlId(element));
    return (control.ticked ? STATE_TICKED : 0) | (control.enabled ? STATE_ENABLED : 0) |
           (control.shown ? STATE_SHOWN : 0);
}
EMSCRIPTEN_KEEPALIVE void brantle_element_text(int element) {
    Text = Valid(element) ? Dialog.Control(MainDialogModel::ControlId(element)).text : std::string();
}

// A click on an element, as the user's click on its control.
EMSCRIPTEN_KEEPALIVE void brantle_click(int element) {
    if (Valid(element)) Dialog.Click(MainDialogModel::ControlId(element));
}

// The box's text becomes the buffer's first `length` bytes.
EMSCRIPTEN_KEEPALIVE void brantle_type(size_t length) { Dialog.Type(std::string_view(Buffer).substr(0, length)); }

// The buffer's first `length` bytes read as the /Q switch reads its value.
EMSCRIPTEN_KEEPALIVE int32_t brantle_read_options(size_t length) {
    return ReadWholeNumber(std::string_view(Buffer).substr(0, length));
}

// A fresh showing of the dialog, as the program starts with DIAGRAM /Q
// OPTIONS: the diagram is the buffer's first `length` bytes.
EMSCRIPTEN_KEEPALIVE void brantle_show(size_t length, int32_t options) {
    Dialog.ResetState(options);
    Dialog.Show(std::string_view(Buffer).substr(0, length));
}

EMSCRIPTEN_KEEPALIVE int32_t brantle_option_set() { return Dialog.State().OptionSet(); }

}  // extern "C"

int main() {
    // The dialog as a run without arguments first shows it; the page then
    // shows what its address asks for.
    Dialog.Show("");
    return 0;
}
