// Dialog 874 "Chord Symbols" and dialog 844 "Rename Chord Symbols" (see
// chord_class.h). 874 edits the document's prototype chord symbol as a scratch copy
// (its own bytes are put back when the dialog ends) and copies it into the symbol
// on an OK whose stored form differs; its name style and show flags become the
// program's defaults for the next symbol. 844 renames the suffixes for the rest of
// the run and, with "Save Preferences", in the settings.
#include <cstring>
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/settings_store.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "files/records/text_record_io.h"
#include "objects/chord/chord_class.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs_internal.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/object_services.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/paint.h"

namespace ql {

using platform::WindowHandle;

namespace {

constexpr uint8_t kSharp = 1;
constexpr uint8_t kFlat = 2;
constexpr uint32_t kChordHelpId = 1370;
constexpr uint32_t kRenameHelpId = 1380;

struct ChordSession {
    ScoreView* view = nullptr;
    ChordSymbol* chord = nullptr;
    ChordSymbol* scratch = nullptr;
    ChordSymbol savedPrototype{};
};
ChordSession* current = nullptr;

ChordFields& Fields() {
    return current->scratch->chord;
}

void CopyObjectData(ChordSymbol* target, const ChordSymbol* source) {
    constexpr size_t kAfterClass = sizeof(ClassId);
    std::memcpy(reinterpret_cast<std::byte*>(target) + kAfterClass,
                reinterpret_cast<const std::byte*>(source) + kAfterClass, sizeof(ChordSymbol) - kAfterClass);
}

void ShowFields(WindowHandle dialog) {
    using namespace chord_dialog;
    const ChordFields& f = Fields();
    const int32_t show = f.showSymbol != 0 && f.showName != 0 ? kSymbolAndName
                         : f.showSymbol != 0                 ? kSymbolOnly
                                                             : kNameOnly;
    for (int32_t id : {kSymbolAndName, kSymbolOnly, kNameOnly}) ui::CheckItem(dialog, id, id == show);
    ui::CheckRadioButton(dialog, kFirstRoot, kFirstRoot + kChordLetterCount - 1, kFirstRoot + ChordLetterOf(f.root));
    ui::CheckRadioButton(dialog, kFirstBass, kFirstBass + kChordLetterCount - 1, kFirstBass + ChordLetterOf(f.bass));
    ui::CheckItem(dialog, kRootSharp, f.rootAccidental == kSharp);
    ui::CheckItem(dialog, kRootFlat, f.rootAccidental == kFlat);
    ui::CheckItem(dialog, kBassSharp, f.bassAccidental == kSharp);
    ui::CheckItem(dialog, kBassFlat, f.bassAccidental == kFlat);
    ui::CheckRadioButton(dialog, kFirstQuality, kFirstQuality + kChordQualityCount - 1,
                         kFirstQuality + ChordQualityOf(f.quality));
    SetGuitarChordGlyph(&current->scratch->text.header);
    win::InvalidateRect(ui::GetDialogItem(dialog, kPreview), nullptr, true);
}

void InitChordDialog(WindowHandle dialog) {
    using namespace chord_dialog;
    for (int q = 0; q < kChordQualityCount; ++q) ui::SetItemText(dialog, kFirstQuality + q, ChordQualityLabel(q));
    const WindowHandle combo = ui::GetDialogItem(dialog, kNameFont);
    for (int style = 0; style < kChordNameStyleCount; ++style)
        ui::ComboAddString(combo, current->view->document->fonts[style].face);
    ui::ComboSetSelection(combo, ChordNameStyleOf(Fields().nameStyle));
    ShowFields(dialog);
}

// A sharp or flat chosen again clears it.
uint8_t Toggled(uint8_t stored, uint8_t chosen) {
    return stored == chosen ? 0 : chosen;
}

void ChooseRootAccidental(uint8_t chosen) {
    ChordFields& f = Fields();
    const bool bassFollows = f.bass == f.root && f.bassAccidental == f.rootAccidental;
    f.rootAccidental = Toggled(f.rootAccidental, chosen);
    if (bassFollows) f.bassAccidental = f.rootAccidental;
}

bool OnFieldCommand(uint32_t id) {
    using namespace chord_dialog;
    ChordFields& f = Fields();
    const auto in = [id](int32_t first, int count) { return id >= static_cast<uint32_t>(first) && id < static_cast<uint32_t>(first + count); };
    if (in(kFirstRoot, kChordLetterCount)) f.root = f.bass = static_cast<uint8_t>(id - kFirstRoot);
    else if (in(kFirstBass, kChordLetterCount)) f.bass = static_cast<uint8_t>(id - kFirstBass);
    else if (in(kFirstQuality, kChordQualityCount)) f.quality = static_cast<uint8_t>(id - kFirstQuality);
    else if (id == kRootSharp || id == kRootFlat) ChooseRootAccidental(id == kRootSharp ? kSharp : kFlat);
    else if (id == kBassSharp) f.bassAccidental = Toggled(f.bassAccidental, kSharp);
    else if (id == kBassFlat) f.bassAccidental = Toggled(f.bassAccidental, kFlat);
    else if (id == kSymbolAndName) f.showName = f.showSymbol = 1;
    else if (id == kSymbolOnly) f.showName = 0, f.showSymbol = 1;
    else if (id == kNameOnly) f.showName = 1, f.showSymbol = 0;
    else return false;
    return true;
}

bool StoresSame(ChordSymbol* a, ChordSymbol* b) {
    ByteWriter first;
    ByteWriter second;
    EncodeChordBody(*a, first);
    EncodeChordBody(*b, second);
    return first.Buffer() == second.Buffer();
}

// OK: the diagram from the fields, the name style from the list, the defaults, and
// the copy into the symbol when it would be stored differently.
bool CommitChord(WindowHandle dialog) {
    ChordFields& f = Fields();
    SetGuitarChordGlyph(&current->scratch->text.header);
    const int32_t chosen = ui::ComboGetSelection(ui::GetDialogItem(dialog, chord_dialog::kNameFont));
    f.nameStyle = chosen <= 0 || chosen >= kChordNameStyleCount ? kChordNameStyle : static_cast<uint8_t>(chosen);
    MarkToolState& tools = MarkTools();
    tools.chordNameStyle = f.nameStyle;
    if (!AlwaysCommit() && StoresSame(current->scratch, current->chord)) return false;
    ScoreView* view = current->view;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Chord), UndoVerb::Modify);
    const TextObjectBody kept = current->chord->text.body;
    CopyObjectData(current->chord, current->scratch);
    current->chord->text.body.fontCache = kept.fontCache;
    current->chord->text.body.bitmapCache = kept.bitmapCache;
    tools.chordShowName = f.showName;
    tools.chordShowSymbol = f.showSymbol;
    SetDocumentModified(view->document);
    return true;
}

intptr_t OnChordCommand(WindowHandle dialog, uint32_t id) {
    if (OnFieldCommand(id)) {
        ShowFields(dialog);
        return 1;
    }
    if (id == chord_dialog::kRename) {
        RunRenameChordDialog(current->view);
        return 1;
    }
    if (id == ui::kIdOk) ui::EndDialog(dialog, CommitChord(dialog) ? ui::kIdOk : ui::kIdCancel);
    else if (id == ui::kIdCancel) ui::EndDialog(dialog, ui::kIdCancel);
    else return 0;
    return 1;
}

intptr_t ChordDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    if (message == win::Message::InitDialog) {
        if (GetActiveView(dialog) == nullptr || current == nullptr) ui::EndDialog(dialog, ui::kIdCancel);
        else InitChordDialog(dialog);
        return 1;
    }
    intptr_t answered = 0;
    if (current == nullptr) return 0;
    if (message == win::Message::DrawItem) {
        const auto* item = reinterpret_cast<const win::DrawItemInfo*>(data);
        if (item != nullptr && item->controlId == chord_dialog::kPreview)
            return DrawChordPreview(item->dc, gfx::Rect{item->rect.left, item->rect.top, item->rect.right,
                                                        item->rect.bottom},
                                    *current->scratch, *current->view->document);
    }
    if (mark_dialogs::AnswerDialogHelp(dialog, message, word, data, kChordHelpId, &answered)) return answered;
    if (message != win::Message::Command) return 0;
    return OnChordCommand(dialog, win::CommandId(word));
}

// ---- 844 ----

bool saveSuffixes = false;

intptr_t RenameDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    using namespace rename_chord_dialog;
    if (message == win::Message::InitDialog) {
        if (GetActiveView(dialog) == nullptr) {
            ui::EndDialog(dialog, ui::kIdCancel);
            return 1;
        }
        saveSuffixes = false;
        for (int q = 0; q < kChordQualityCount; ++q) {
            ui::SetItemText(dialog, kFirstLabel + q, ChordQualityLabel(q));
            ui::SetItemText(dialog, kFirstSuffix + q, ChordQualitySuffix(static_cast<uint8_t>(q)));
        }
        return 1;
    }
    intptr_t answered = 0;
    if (mark_dialogs::AnswerDialogHelp(dialog, message, word, data, kRenameHelpId, &answered)) return answered;
    if (message != win::Message::Command) return 0;
    const uint32_t id = win::CommandId(word);
    if (id == kSavePreferences) {
        saveSuffixes = !saveSuffixes;
        ui::CheckItem(dialog, kSavePreferences, saveSuffixes);
    } else if (id == ui::kIdOk) {
        for (int q = 0; q < kChordQualityCount; ++q) SetChordQualitySuffix(q, ui::GetItemText(dialog, kFirstSuffix + q));
        if (saveSuffixes) SaveChordTypePrefs();
        ui::EndDialog(dialog, ui::kIdOk);
    } else if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
    } else {
        return 0;
    }
    return 1;
}

}  // namespace

int RunChordDialog(ScoreView* view, ScoreObject* chord) {
    if (view == nullptr || view->document == nullptr || chord == nullptr) return ui::kIdCancel;
    ScoreObject* prototype = view->document->prototypes[TypeCode(ObjectType::Chord)];
    if (prototype == nullptr) return ui::kIdCancel;
    ChordSession session{view, AsChordSymbol(chord), AsChordSymbol(prototype)};
    std::memcpy(&session.savedPrototype, session.scratch, sizeof(ChordSymbol));
    CopyObjectData(session.scratch, session.chord);
    session.scratch->text.body.fontCache = session.scratch->text.body.bitmapCache = 0;
    ChordSession* outer = current;
    current = &session;
    const intptr_t result = RunEditorDialog(view, &ChordDialogProc, kChordDialogId);
    current = outer;
    std::memcpy(session.scratch, &session.savedPrototype, sizeof(ChordSymbol));
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

int RunRenameChordDialog(ScoreView* view) {
    return ModalDialogBox(view, kRenameChordDialogId, &RenameDialogProc) == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
