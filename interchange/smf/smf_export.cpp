// Standard MIDI File export: tracks written from the builder's events.
#include "interchange/smf/smf_export.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/ui/system_error.h"
#include "core/ui/wait_cursor.h"
#include "files/commands/file_commands.h"
#include "files/save/atomic_save.h"
#include "interchange/smf/smf_export_events.h"
#include "interchange/smf/smf_strings.h"
#include "interchange/smf/smf_writer.h"
#include "objects/object_services.h"
#include "platform/sys/file_io.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "sequencer/performance_setup.h"
#include "sequencer/playback.h"
#include "sequencer/transcription_dialog_resources.h"
#include "staves/staff_dialog_resources.h"

namespace ql {
namespace {

constexpr size_t kKeptTextLimit = 99;
constexpr int kKeyShift = 4;
constexpr int kNoKeyCode = 7;  // C major: no sharps or flats
constexpr uint16_t kMinorKeyBit = 0x1000;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaCopyright = 0x02;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaInstrument = 0x04;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;
constexpr uint8_t kMetaKeySignature = 0x59;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint32_t kMicrosecondsPerMinute = 60'000'000;
constexpr uint32_t kLargestTempoValue = 0xFFFFFF;
constexpr int kLastExponent = 12;  // the beat unit code of a whole note
constexpr int kLargestNumerator = 255;
constexpr char kStaffNameFormat[] = "%s:%d";
constexpr char kStaffStatusFormat[] = "%s: %d";
constexpr char kTrackNameFormat[] = "%s %d";
constexpr char kDoneText[] = "OK";
constexpr char kExportFilter[] = " Standard MIDI... (*.mid)~*.mid~ All files   (*.*)~*.*~~";
constexpr char kReplaceQuestion[] = "File already exists.  Replace %s ?";
constexpr char kTrackFailedText[] = "Can't write MIDI file";
constexpr uint8_t kTitleTextStyle = 12;
constexpr intptr_t kHeaderAccepted = 1;
constexpr intptr_t kHeaderCancelled = 2;

std::string Formatted(const char* format, const std::string& text, int number) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, text.c_str(), number);
    return buffer;
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

int KeyCodeOf(ScoreDocument* document, int staff, int measure) {
    StaffRecord* record = StaffRecordOf(document, staff);
    const MeasureCell* cell = record != nullptr ? GetOrCreateMeasureCell(record, document, measure) : nullptr;
    return cell != nullptr ? cell->clefKey >> kKeyShift : kNoKeyCode;
}

std::string Kept(std::string text) {
    if (text.size() > kKeptTextLimit) text.resize(kKeptTextLimit);
    return text;
}

// One track being written: deltas from the last event, and the first failure.
class TrackExport {
  public:
    explicit TrackExport(smf::MidiTrackWriter& track) : track_(track) {}
    bool Meta(uint8_t type, int32_t time, std::span<const uint8_t> data) {
        return Written(smf::WriteMidiMetaEvent(track_, type, Delta(time), data));
    }
    bool Event(int32_t time, std::span<const uint8_t> bytes) {
        return Written(smf::WriteMidiEvent(track_, Delta(time), bytes));
    }
    bool KeySignature(int32_t time, int code, bool minor) {
        const uint8_t data[2] = {static_cast<uint8_t>(static_cast<int8_t>(code - kNoKeyCode)),
                                 static_cast<uint8_t>(minor ? 1 : 0)};
        return Meta(kMetaKeySignature, time, data);
    }
    bool ok() const { return ok_; }

  private:
    uint32_t Delta(int32_t time) {
        const int32_t delta = std::max(time - last_, 0);
        last_ = std::max(last_, time);
        return static_cast<uint32_t>(std::min<int32_t>(delta, int32_t{smf::kMaxVlqValue}));
    }
    bool Written(int result) {
        ok_ = ok_ && result >= 0;
        return ok_;
    }
    smf::MidiTrackWriter& track_;
    int32_t last_ = 0;
    bool ok_ = true;
};

struct TrackState {
    int lastKey = kNoKeyCode;
    int lastBeats = 0;
    int lastUnit = 0;
    int octaveShift = 0;
    int velocityOffset = 0;
};

bool WriteTrackHead(TrackExport& out, ScoreDocument* document, int t, const SmfExportTexts& texts,
                    TrackState& state) {
    if (t > 0) {
        out.Meta(kMetaTrackName, 0, Bytes(Formatted(kTrackNameFormat, ProgramString(kStrMidiTrack), t)));
    } else {
        if (!texts.title.empty()) out.Meta(kMetaText, 0, Bytes(texts.title.substr(0, kKeptTextLimit)));
        if (!texts.copyright.empty()) out.Meta(kMetaCopyright, 0, Bytes(texts.copyright.substr(0, kKeptTextLimit)));
        out.Meta(kMetaTrackName, 0, Bytes(std::filesystem::path(document->path).filename().string()));
    }
    const int staff = std::max(t, 1);
    StaffRecord* record = StaffRecordOf(document, staff);
    const std::string label = t > 0 ? Kept(StaffLabelText(record)) : std::string();
    out.Meta(kMetaInstrument, 0,
             Bytes(label.empty() ? Formatted(kStaffNameFormat, ProgramString(kStrStaff), t) : label));
    state.lastKey = KeyCodeOf(document, staff, 1);
    out.KeySignature(0, state.lastKey, record != nullptr && (record->transpositionWord & kMinorKeyBit) != 0);
    if (t == 0) {
        const uint32_t bpm = ScoreTempoBpm(document);
        const uint32_t micros = kMicrosecondsPerMinute / std::max<uint32_t>(bpm, 1);
        const uint8_t tempo[3] = {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                                  static_cast<uint8_t>(micros)};
        out.Meta(kMetaTempo, 0, tempo);
    } else if (record != nullptr) {
        const uint8_t program[2] = {static_cast<uint8_t>(kProgramChange | (record->timbres[0].channel & 0x0F)),
                                    static_cast<uint8_t>(record->timbres[0].patch & 0x7F)};
        out.Event(0, program);
    }
    return out.ok();
}

// The signature a measure is written with: its own, or for a measure of another
// length (an upbeat) the count of the longest unit, not above its beat, that fills it.
void WrittenMeasureSignature(ScoreDocument* document, int measure, int& beats, int& unit) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    const int length = record != nullptr ? record->lengthTicks : 0;
    if (length <= 0 || (unit >= 0 && beats << unit == length)) return;
    for (int u = std::min(unit, kLastExponent); u >= 0; --u) {
        if (length % (1 << u) != 0 || (length >> u) > kLargestNumerator) continue;
        beats = length >> u;
        unit = u;
        return;
    }
}

void WriteDownbeat(TrackExport& out, ScoreDocument* document, int t, const ExportEvent& e, TrackState& state) {
    const int staff = std::max(t, 1);
    const int key = KeyCodeOf(document, staff, e.measure);
    if (key != state.lastKey) {
        StaffRecord* record = StaffRecordOf(document, staff);
        out.KeySignature(e.time, key, record != nullptr && (record->transpositionWord & kMinorKeyBit) != 0);
        state.lastKey = key;
    }
    int beats = e.slot;
    int unit = e.port;
    if (t != 0 || (beats == 0 && unit == 0) || unit > kLastExponent) return;
    WrittenMeasureSignature(document, e.measure, beats, unit);
    if (beats == state.lastBeats && unit == state.lastUnit) return;
    const uint8_t data[4] = {static_cast<uint8_t>(beats), static_cast<uint8_t>(kLastExponent - unit), 12, 8};
    out.Meta(kMetaTimeSignature, e.time, data);
    state.lastBeats = beats;
    state.lastUnit = unit;
}

void WriteTempo(TrackExport& out, const ExportEvent& e) {
    const uint32_t perQuarter = std::max<uint32_t>(e.message / kExportDivision, 1);
    const uint32_t micros = std::min(kMicrosecondsPerMinute / perQuarter, kLargestTempoValue);
    const uint8_t data[3] = {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                             static_cast<uint8_t>(micros)};
    out.Meta(kMetaTempo, e.time, data);
}

void WriteChannel(TrackExport& out, const ExportEvent& e, const TrackState& state) {
    const uint8_t status = MessageByte(e.message, 0);
    const uint8_t kind = status & 0xF0;
    if (kind == kNoteOn || kind == kNoteOff) {
        int key = MessageByte(e.message, 1);
        if (state.octaveShift == 1) key += 12;
        else if (state.octaveShift >= 2) key -= 12;
        if (key < 0 || key > 127) return;  // shifted off the keyboard: on and off both dropped
        int velocity = MessageByte(e.message, 2);
        if (velocity != 0) velocity = std::clamp(velocity + state.velocityOffset, 0, 127);
        const uint8_t bytes[3] = {status, static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)};
        out.Event(e.time, bytes);
        return;
    }
    const uint8_t bytes[3] = {status, static_cast<uint8_t>(MessageByte(e.message, 1) & 0x7F),
                              static_cast<uint8_t>(MessageByte(e.message, 2) & 0x7F)};
    const size_t length = (kind == kProgramChange || kind == kChannelPressure) ? 2 : 3;
    out.Event(e.time, std::span<const uint8_t>(bytes, length));
}

// Writes track t (0: the conductor); false at the first failure.
bool WriteExportTrack(smf::MidiFileWriter& file, ScoreDocument* document, int t,
                      const std::vector<ExportEvent>& events, const SmfExportTexts& texts) {
    std::unique_ptr<smf::MidiTrackWriter> track = smf::CreateMidiTrack(file);
    if (track == nullptr) {
        ModalMessageBox(kTrackFailedText, ProgramString(kStrExportMidiFileCaption), ui::kBoxIconStop);
        return false;
    }
    TrackExport out(*track);
    TrackState state;
    WriteTrackHead(out, document, t, texts, state);
    int32_t endTime = 0;
    for (const ExportEvent& e : events) {
        if (!out.ok()) break;
        endTime = std::max(endTime, e.time);
        switch (e.kind) {
            case PerformanceEventKind::Downbeat: WriteDownbeat(out, document, t, e, state); break;
            case PerformanceEventKind::Tempo:
                if (t == 0) WriteTempo(out, e);
                break;
            case PerformanceEventKind::OctaveShift:
                if (e.slot == t) state.octaveShift = MessageByte(e.message, 3);
                break;
            case PerformanceEventKind::VelocityOffset:
                if (e.slot == t) state.velocityOffset = static_cast<int8_t>(MessageByte(e.message, 2));
                break;
            case PerformanceEventKind::Channel:
                if (t > 0 && e.slot == t) WriteChannel(out, e, state);
                break;
            case PerformanceEventKind::SysExBody:
                if (t > 0 && e.slot == t && !e.body.empty()) out.Event(e.time, e.body);
                break;
            default: break;  // clicks and beats are not written
        }
    }
    out.Meta(smf::kMetaEndOfTrack, endTime, {});
    return smf::CloseMidiTrack(std::move(track)) && out.ok();
}

// The transfer flags, set for one export and cleared on every way out.
class ExportFlags {
  public:
    ExportFlags() {
        FileFlags& files = State().files;
        files.MidiFileTransferActive = 1;
        files.MidiFileExporting = 1;
    }
    ~ExportFlags() {
        FileFlags& files = State().files;
        files.MidiFileTransferActive = 0;
        files.MidiFileExporting = 0;
    }
    ExportFlags(const ExportFlags&) = delete;
    ExportFlags& operator=(const ExportFlags&) = delete;
};

// The texts dialog 902 edits while it is open.
SmfExportTexts*& EditedTexts() {
    static SmfExportTexts* texts = nullptr;
    return texts;
}

// The title among a list's text lines: one of the title style that is not the
// page number's word.
const char* TitleIn(ScoreObject* head) {
    const std::string page = ProgramString(kStrPageWord);
    const std::string pages = ProgramString(kStrPagesWord);
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get()) {
        if (o->type != TypeCode(ObjectType::Text)) continue;
        const TextObject* text = AsTextObject(o);
        if (text->body.style != kTitleTextStyle) continue;
        const char* string = TextObjectString(text);
        if (string == nullptr) continue;
        if (*string == '%') ++string;
        if (*string != '\0' && string != page && string != pages) return string;
    }
    return nullptr;
}

}  // namespace

std::string FindScoreTitle(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return {};
    const char* title = TitleIn(view->pageObjects);
    for (ScorePage* page = view->document->firstPage; title == nullptr && page != nullptr; page = page->next.get())
        title = TitleIn(page->margins.get());
    return title != nullptr ? Kept(title) : std::string();
}

intptr_t MidiHeaderDlgProc(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t) {
    namespace h = midi_header_dialog;
    SmfExportTexts* texts = EditedTexts();
    if (texts == nullptr) return 0;
    switch (message) {
        case win::Message::InitDialog:
            ui::SetItemText(dialog, h::kTitle, texts->title);
            ui::SetItemText(dialog, h::kCopyright, texts->copyright);
            return 1;
        case win::Message::Command:
            switch (static_cast<int32_t>(win::CommandId(word))) {
                case ui::kIdOk:
                    texts->title = Kept(ui::GetItemText(dialog, h::kTitle));
                    texts->copyright = Kept(ui::GetItemText(dialog, h::kCopyright));
                    ui::EndDialog(dialog, kHeaderAccepted);
                    return 1;
                case ui::kIdCancel: ui::EndDialog(dialog, kHeaderCancelled); return 1;
                default: return 0;
            }
        default: return 0;
    }
}

bool RunMidiHeaderDialog(ScoreView* view, SmfExportTexts& texts) {
    SmfExportTexts edited = texts;
    if (std::string title = FindScoreTitle(view); !title.empty()) edited.title = std::move(title);
    EditedTexts() = &edited;
    const intptr_t result =
        ModalDialogBox(view, sys::ResourceId{midi_header_dialog::kDialog}, MidiHeaderDlgProc);
    EditedTexts() = nullptr;
    if (result != kHeaderAccepted) return false;
    texts = std::move(edited);
    return true;
}

SmfExportTexts& KeptExportTexts() {
    static SmfExportTexts texts;
    return texts;
}

std::filesystem::path ProposedExportName(const std::string& scorePath) {
    std::filesystem::path name = std::filesystem::path(scorePath).filename();
    return name.replace_extension(".MID");
}

bool WriteStandardMidiFile(ScoreView* view, const std::string& path, const SmfExportTexts& texts) {
    if (view == nullptr || view->document == nullptr) return false;
    ScoreDocument* document = view->document;
    ExportFlags flags;
    const WaitCursor waiting;
    std::string temporary;
    int error = 0;
    const sys::FileDescriptor holder = sys::CreateUniqueFile(path + ".", ".part", &temporary, &error);
    if (holder == sys::kNoFile) {
        smf::ShowCreateMidiFileError(error, kStrExportMidiFileCaption);
        return false;
    }
    sys::CloseFile(holder, &error);
    const int staves = std::min<int>(document->header.staffCount, kMaxStaves);
    std::unique_ptr<smf::MidiFileWriter> file = smf::CreateMidiFile(
        temporary, 1, static_cast<uint16_t>(staves + 1), kExportDivision, kStrExportMidiFileCaption);
    bool ok = file != nullptr;
    if (ok) {
        const std::vector<ExportEvent> events = CollectExportEvents(document);
        for (int t = 0; t <= staves && ok; ++t) {
            if (t > 0) SetStatusText(0, Formatted(kStaffStatusFormat, ProgramString(kStrStaff), t).c_str());
            ok = WriteExportTrack(*file, document, t, events, texts);
        }
        ok = smf::CloseMidiFile(std::move(file)) && ok;
    }
    if (ok) {
        if (const int renamed = ReplaceWithTemporary(temporary, path); renamed != 0) {
            ShowSystemError(kSaveIoErrorText, renamed);
            ok = false;
        }
    }
    if (!ok) {
        std::remove(temporary.c_str());
        SetStatusText(0, nullptr);
        return false;
    }
    SetStatusText(0, kDoneText);
    return true;
}

void ExportStandardMidiFile(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || IsPlaybackRunning()) return;
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::Save;
    request.title = ProgramString(kStrExportMidiFileCaption);
    request.filter = kExportFilter;
    request.defaultExtension = "mid";
    request.initialName = ProposedExportName(view->document->path);
    // A saved score's own folder; a new or imported one's, the folder of new scores.
    const std::filesystem::path score(view->document->path);
    request.initialFolder = score.is_absolute() ? score.parent_path() : ProposedSaveFolder();
    const ui::FileDialogAnswer answer = ui::RunFileDialog(request);
    if (answer.status != ui::FileDialogStatus::Chosen || answer.path.empty()) return;
    if (!RunMidiHeaderDialog(view, KeptExportTexts())) return;
    std::error_code error;
    if (std::filesystem::exists(answer.path, error)) {
        char text[600];
        std::snprintf(text, sizeof text, kReplaceQuestion, answer.path.c_str());
        if (ModalMessageBox(text, ProgramString(kStrExportMidiFileCaption),
                            ui::kBoxYesNo | ui::kBoxIconExclamation) != ui::kIdYes)
            return;
    }
    WriteStandardMidiFile(view, answer.path.native(), KeptExportTexts());
}

}  // namespace ql
