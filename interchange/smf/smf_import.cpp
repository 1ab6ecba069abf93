// Standard MIDI File import: the file read track by track through the reader, each
// event handed to the transcription, then the measures analysed and formatted.
#include "interchange/smf/smf_import.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "core/model/events.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "interchange/import_report.h"
#include "interchange/imported_text_places.h"
#include "interchange/smf/smf_import_signatures.h"
#include "interchange/smf/smf_import_texts.h"
#include "interchange/smf/smf_reader.h"
#include "interchange/smf/smf_strings.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/spacing/system_fill.h"
#include "notes/beatmap/beat_map.h"
#include "objects/tuplets/tuplet.h"
#include "platform/ui/message_box.h"
#include "sequencer/channel_events.h"
#include "sequencer/notes_left_out.h"
#include "sequencer/transcription_measures.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kStatusKindMask = 0xF0;
constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kMetaFirstText = 0x01;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaCopyright = 0x02;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaLastText = 0x05;
constexpr uint8_t kMetaChannelPrefix = 0x20;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;
constexpr uint8_t kMetaKeySignature = 0x59;
constexpr uint16_t kSmpteDivision = 0x8000;
constexpr uint32_t kMicrosecondsPerMinute = 60'000'000;
constexpr uint32_t kEventsPerPump = 4096;
constexpr char kAnalyzingText[] = " Analyzing Groups";
constexpr char kFormattingText[] = "Formatting...";
constexpr char kMakingPagesText[] = " Making pages";
constexpr char kDoneText[] = "OK";
constexpr char kTrackStatusFormat[] = "%s: %d";
// The record pools an import fills, and how full any of them may grow (percent of
// its block limit) before the file counts as too large.
constexpr int kFirstFilledPool = 2;
constexpr int kLastFilledPool = 10;
constexpr int kPoolFillPercent = 99;

struct ImportRun {
    ScoreView* view = nullptr;
    ScoreDocument* document = nullptr;
    int format = 1;
    int staffCount = 0;
    std::vector<TrackStaves> plan;  // each track's staves (PlanTrackStaves)
    std::vector<int> clockStaves;   // format 1: the staves the current track's deltas move on
    bool smpte = false;
    bool tempoSeen = false;
    bool prefixSet = false;
    int prefixChannel = 0;
    bool invalidShown = false;
    bool tooLarge = false;
    ImportSignatures signatures;
    ImportTexts texts;
    ImportReport report;
};

void ShowInvalidOnce(ImportRun& run) {
    if (run.invalidShown) return;
    run.invalidShown = true;
    ErrorBox(ProgramString(kStrInvalidMidiFile));
}

bool IsNoteOn(const smf::MidiFileEvent& event) {
    return event.kind == smf::MidiEventKind::Channel && (event.status & kStatusKindMask) == kNoteOn &&
           event.length >= 2 && event.data[1] != 0;
}

bool IsNoteOff(const smf::MidiFileEvent& event) {
    const uint8_t kind = event.status & kStatusKindMask;
    return event.kind == smf::MidiEventKind::Channel && (kind == kNoteOff || (kind == kNoteOn && !IsNoteOn(event)));
}

// The staff an event goes to. Format 1: the signature track's meta events staff 0
// and its channel messages its own staff (0 when it has none); the other tracks
// follow, a channel with a staff of its own going to it. Format 0: the staff of its
// channel (of the channel prefix's for meta events) when that plays notes, else
// staff 1.
// A track past those the file was found to hold (a damaged file) takes the staff
// after the last one's.
int StaffOfTrack(const ImportRun& run, int track) {
    const auto known = static_cast<int>(run.plan.size());
    if (track < known) return run.plan[track].first;
    return LastPlannedStaff(run.plan) + 1 + track - known;
}

// The left hand's staff of a note message below middle C on a channel played with
// both hands (its note-off goes where its note-on went, by its key); 0 otherwise.
int LowerStaffOf(const ImportRun& run, const smf::MidiFileEvent& event, int track) {
    const bool note = IsNoteOn(event) || IsNoteOff(event);
    const size_t planned = run.format != 0 ? static_cast<size_t>(track) : 0;
    if (!note || planned >= run.plan.size() || event.length < 1 || event.data[0] >= kHandsSplitKey) return 0;
    return run.plan[planned].lowerOf[event.status & kChannelMask];
}

int StaffOf(const ImportRun& run, const smf::MidiFileEvent& event, int track) {
    const bool channel = event.kind == smf::MidiEventKind::Channel;
    if (const int lower = LowerStaffOf(run, event, track)) return lower;
    if (run.format != 0) {
        if (track == 0 && !channel) return 0;
        const int own = channel && track < static_cast<int>(run.plan.size())
                            ? run.plan[track].ofChannel[event.status & kChannelMask]
                            : 0;
        return own != 0 ? own : StaffOfTrack(run, track);
    }
    if (!channel && !run.prefixSet) return 1;
    const int of = channel ? event.status & kChannelMask : run.prefixChannel;
    const int own = run.plan.empty() ? 0 : run.plan[0].ofChannel[static_cast<size_t>(of)];
    return own != 0 ? own : 1;
}

// Format 1: the staves whose clocks a track's deltas move on: staff 0 for the
// signature track, the track's staff and its channels' staves, within the score.
std::vector<int> ClockStavesOf(const ImportRun& run, int track) {
    std::vector<int> staves;
    if (track == 0) staves.push_back(0);
    const auto add = [&](int staff) {
        if (staff > 0 && staff <= run.staffCount && std::ranges::find(staves, staff) == staves.end())
            staves.push_back(staff);
    };
    add(StaffOfTrack(run, track));
    if (track < static_cast<int>(run.plan.size())) {
        for (const int staff : run.plan[track].ofChannel) add(staff);
        for (const int staff : run.plan[track].lowerOf) add(staff);
    }
    return staves;
}

// A key signature of the signature track, or of a single-track file's track with
// no channel prefix in force, is every staff's.
bool KeyForEveryStaff(const ImportRun& run, int staff) {
    return staff == 0 || (run.format == 0 && !run.prefixSet);
}

void SetStaffVoices(ScoreDocument* document, int staff, bool channel, uint8_t value) {
    StaffRecord* record = StaffRecordOf(document, staff);
    if (record == nullptr) return;
    for (StaffTimbre& timbre : record->timbres) (channel ? timbre.channel : timbre.patch) = value;
}

// The pools a text, tempo mark or channel mark takes records of (its object, and
// its string by its size), and the share of their block limit past which an
// import makes no more marks: the notes' attachments and the pages keep room,
// and the file is not refused for its marks.
constexpr int kMarkPools[] = {kListNodePool, kSmallArrayPool, kSmallObjectPool, kTextObjectPool, kLargeObjectPool};
constexpr int kMarkRoomPercent = 90;

// Whether the score has no more room for marks; an event that would make one is
// then counted in the import's box instead.
bool MarkRoomFull(const ScoreDocument& document) {
    for (const int pool : kMarkPools) {
        const RecordPool& descriptor = document.pools.pools[pool];
        if (descriptor.blockCount > descriptor.maxBlocks * kMarkRoomPercent / 100) return true;
    }
    return false;
}

// Whether a meta event makes a mark in a measure: a tempo change (unless the
// import leaves tempo out), and a text, name or lyric but a copyright notice and
// the signature track's texts and names (those go on the page).
bool MetaMakesMark(const ImportRun& run, int staff, uint8_t status) {
    if (status == kMetaTempo) return !run.smpte && Options().FilterTempo == 0;
    return status >= kMetaFirstText && status <= kMetaLastText && status != kMetaCopyright &&
           (staff != 0 || (status != kMetaText && status != kMetaTrackName));
}

// Whether an event makes a mark in a measure: a meta event as above, or a channel
// message but on the signature track (which plays nothing).
bool EventMakesMark(const ImportRun& run, int staff, const smf::MidiFileEvent& event) {
    if (event.kind == smf::MidiEventKind::Meta) return MetaMakesMark(run, staff, event.status);
    return event.kind == smf::MidiEventKind::Channel && staff != 0 && ChannelMessageMakesMark(event.status);
}

// Counts a mark left out when the score has no room for it; whether it was.
bool LeftOutForRoom(ImportRun& run) {
    if (!MarkRoomFull(*run.document)) return false;
    run.report.Count(kMarksPastRoom);
    return true;
}

void ImportChannelMessage(ImportRun& run, int staff, const smf::MidiFileEvent& event) {
    run.prefixSet = false;
    if (staff == 0) return;  // the signature track plays nothing
    TranscriptionInput& in = TranscriptionInputs();
    in.status = event.status & kStatusKindMask;
    in.channel = event.status & kChannelMask;
    in.data[0] = event.length > 0 ? event.data[0] : 0;
    in.data[1] = event.length > 1 ? event.data[1] : 0;
    in.length = static_cast<int>(event.length);
    in.staff = staff;
    TranscriptionStaff& st = TranscriptionStaffState(staff);
    if (in.status == kNoteOn || in.status == kNoteOff) {
        TranscribeRecordedStaff(run.view);
        if (!st.channelSet && in.status == kNoteOn) {
            SetStaffVoices(run.document, staff, true, in.channel);
            st.channelSet = true;
        }
        return;
    }
    // In a single-track file a channel that plays no notes shares staff 1, whose
    // sound is not its.
    const bool ownSound = run.format != 0 || run.plan.empty() || ((run.plan[0].playing >> in.channel) & 1) != 0;
    if (in.status == kProgramChange && !st.patchSet && ownSound) {
        SetStaffVoices(run.document, staff, false, in.data[0]);
        // The left hand's staff of the channel plays the same sound.
        for (const TrackStaves& planned : run.plan) {
            const int lower = planned.lowerOf[in.channel];
            const int own = planned.ofChannel[in.channel] != 0 ? planned.ofChannel[in.channel] : planned.first;
            if (lower != 0 && own == staff) SetStaffVoices(run.document, lower, false, in.data[0]);
        }
        st.patchSet = true;
    }
    CountChannelEvent();
    StaffRecord* record = StaffRecordOf(run.document, staff);
    const int measure = st.currentMeasure;
    if (record == nullptr || measure < 1 || measure > run.document->header.measureCount || st.pastLastMeasure) return;
    if (LeftOutForRoom(run)) return;
    std::vector<CellListEnd>& ends = run.texts.ends;
    ImportChannelEvent(run.view, staff, GetOrCreateMeasureCell(record, run.document, measure),
                       static_cast<size_t>(staff) < ends.size() ? &ends[static_cast<size_t>(staff)] : nullptr);
}

// Moves a staff's clock on by `delta` (in format 0 every staff's); a staff met for
// the first time starts at measure 1 when `start` is set.
void AdvanceClock(ImportRun& run, int staff, int32_t delta, bool start) {
    if (start && !TranscriptionStaffState(staff).initialised) StartTranscriptionStaff(run.view, staff, 1);
    TranscriptionInput& in = TranscriptionInputs();
    in.staff = staff;
    in.delta = delta;
    TranscribeRecordedNotes(run.view);
}

// Every tempo makes a tempo mark; the first also sets the score's starting tempo.
// SMPTE files keep 120 and make none.
void ImportTempo(ImportRun& run, int staff, const smf::MidiFileEvent& event) {
    if (run.smpte || event.length < 3 || Options().FilterTempo != 0) return;
    const uint32_t micros = (uint32_t{event.data[0]} << 16) | (uint32_t{event.data[1]} << 8) | event.data[2];
    if (micros == 0) return;
    const auto bpm = static_cast<uint16_t>(std::clamp<uint32_t>(kMicrosecondsPerMinute / micros, 1, 0xFFFF));
    if (!run.tempoSeen) run.document->header.tempo = bpm;
    run.tempoSeen = true;
    if (LeftOutForRoom(run)) return;
    ImportTempoMark(run.texts, run.view, staff, bpm);
}

// A record pool filled beyond its share of its block limit: the file is too large
// for a score.
bool PoolsNearlyFull(const ScoreDocument& document) {
    for (int pool = kFirstFilledPool; pool <= kLastFilledPool; ++pool) {
        const RecordPool& descriptor = document.pools.pools[pool];
        if (descriptor.blockCount > descriptor.maxBlocks * kPoolFillPercent / 100) return true;
    }
    return false;
}

void ImportMeta(ImportRun& run, int staff, const smf::MidiFileEvent& event) {
    switch (event.status) {
        case kMetaChannelPrefix:
            if (event.length >= 1) {
                run.prefixSet = true;
                run.prefixChannel = event.data[0] & kChannelMask;
            }
            break;
        case kMetaTempo: ImportTempo(run, staff, event); break;
        case kMetaTimeSignature:
            if (event.length >= 2) ApplyTimeSignature(run.signatures, run.view, staff, event.data[0], event.data[1]);
            break;
        case kMetaKeySignature:
            if (event.length >= 2)
                ApplyKeySignature(run.signatures, run.view, staff, KeyForEveryStaff(run, staff), event.data[0],
                                  event.data[1]);
            break;
        default:
            if (event.status < kMetaFirstText || event.status > kMetaLastText) break;
            if (MetaMakesMark(run, staff, event.status) && LeftOutForRoom(run)) break;
            ImportMetaText(run.texts, run.view, staff, event.status,
                               std::span<const uint8_t>(event.data.data(), std::min<size_t>(event.length, event.data.size())));
            break;  // markers, cue points and the rest make nothing
    }
}

void ImportEvent(ImportRun& run, int track, const smf::MidiFileEvent& event) {
    const int staff = StaffOf(run, event, track);
    const bool kept = staff <= run.staffCount;
    const auto delta = static_cast<int32_t>(std::min<uint32_t>(event.delta, smf::kMaxVlqValue));
    if (run.format != 0) {
        // A track keeps time on every staff of its own.
        for (const int clock : run.clockStaves) AdvanceClock(run, clock, delta, true);
    } else {
        AdvanceClock(run, kept ? staff : 1, delta, kept);
    }
    if (!kept) return;
    // Anything but a release or the track's end exactly on a barline belongs to the
    // measure starting there.
    const bool trackEnd = event.kind == smf::MidiEventKind::Meta && event.status == smf::kMetaEndOfTrack;
    if (!IsNoteOff(event) && !trackEnd) EnterReachedMeasure(run.view, staff);
    // After the last measure the score can hold the notes are counted as left out
    // (by the transcription), and the events that would make marks here.
    if (TranscriptionStaffState(staff).pastLastMeasure) {
        if (EventMakesMark(run, staff, event)) run.report.Count(kMarksPastLastMeasure);
        if (event.kind != smf::MidiEventKind::Channel) return;
    }
    switch (event.kind) {
        case smf::MidiEventKind::Channel: ImportChannelMessage(run, staff, event); break;
        case smf::MidiEventKind::Meta: ImportMeta(run, staff, event); break;
        case smf::MidiEventKind::SysEx: break;
    }
}

void ShowTrackStatus(const ImportRun& run, int track) {
    if (run.format == 0) {
        SetStatusText(0, kSingleTrackText);
    } else if (track == 0) {
        SetStatusText(0, kSignatureTrackText);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, kTrackStatusFormat, ProgramString(kStrMidiTrack).c_str(), track);
        SetStatusText(0, text);
    }
}

// Reads every track; false when the user cancelled.
bool ReadTracks(ImportRun& run, smf::MidiFileReader& file) {
    smf::MidiFileEvent event;
    for (int i = 0; i < file.trackCount; ++i) {
        if (run.format == 1 && run.staffCount > 0 && StaffOfTrack(run, i) > run.staffCount) break;
        std::unique_ptr<smf::MidiTrack> track = smf::ReadTrackHeader(file);
        if (track == nullptr) {
            ShowInvalidOnce(run);
            break;
        }
        // A track holding nothing but its end has no staff and nothing to read.
        if (run.format == 1 && i > 0 && StaffOfTrack(run, i) == 0) continue;
        if (run.format == 1) run.clockStaves = ClockStavesOf(run, i);
        if (track->byteCount > 1) ShowTrackStatus(run, i);
        if (StepProgressDialog(i + 1) != 0) return false;
        smf::TrackReadResult result;
        uint32_t count = 0;
        while ((result = smf::ReadTrackEvent(*track, &event)) == smf::TrackReadResult::Event) {
            ImportEvent(run, i, event);
            if (PoolsNearlyFull(*run.document)) {
                run.tooLarge = true;
                ModalMessageBox(kFileTooLargeText, ProgramString(kStrProductName), ui::kBoxIconExclamation);
                return false;
            }
            if (++count % kEventsPerPump == 0 && StepProgressDialog(i + 1) != 0) return false;
        }
        if (result == smf::TrackReadResult::Error) ShowInvalidOnce(run);
    }
    return true;
}

// The tuplet marks of a cell placed over their groups where the notes stand now.
void PlaceTupletMarksOfCell(ScoreView* view, ScoreSystem* system, int staff, int measure) {
    MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
        EventRecord* event = GetVoiceFirstEvent(cell, voice);
        for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n, event = NextEvent(event)) {
            ScoreObject* object = GetEventAttachment(event);
            for (int i = 0; object != nullptr && i < kMaxChainLength; ++i, object = object->next.get()) {
                if (object->type != TypeCode(ObjectType::Tuplet)) continue;
                SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
                PlaceTupletMark(object, view);
            }
        }
    }
}

// Every tuplet mark placed over its group on the laid-out pages: the marks were made
// as the measures were written, before any measure had its place on a system, and
// the view stood on no system then. Each system's row of the beat map is built as
// the painter builds it before its marks are placed.
void PlaceTupletMarksOnPages(ScoreView* view) {
    ScoreDocument* document = view->document;
    ScorePage* const shownPage = view->currentPage;
    ScoreSystem* const shownSystem = view->currentSystem;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        view->currentPage = page;
        view->currentSystem = page->firstSystem.get();
        UpdateBeatMaps(view, 0);
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get()) {
            view->currentSystem = system;
            BuildBeatMapPageMode(view, 0);
            for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure)
                for (int staff = 1; staff <= document->header.staffCount; ++staff)
                    PlaceTupletMarksOfCell(view, system, staff, measure);
        }
    }
    view->currentPage = shownPage;
    view->currentSystem = shownSystem;
    UpdateBeatMaps(view, 0);
}

// Analyses the measures and lays the pages out; false when the user cancelled.
bool FinishImport(ImportRun& run) {
    ScoreDocument* document = run.document;
    for (int staff = 0; staff <= run.staffCount; ++staff) FlushPendingNotes(run.view, staff);
    const int measures = document->header.measureCount;
    SetStatusText(1, kAnalyzingText);
    if (BeginProgressDialog(1, std::max(measures, 1), kAnalyzingText) != 0) return false;
    ClearRecordTargets(run.view, 1, run.staffCount, 1, measures, 0);
    if (TranscribeMeasureGroups(run.view, 1, run.staffCount, 1, measures, true) == 0) return false;
    FinishTranscribedMeasures(run.view, 0, 1, run.staffCount, 1, measures);
    SetStatusText(0, kFormattingText);
    SetStatusText(1, kMakingPagesText);
    if (document->firstPage != nullptr) ExtendPagesToMeasureCount(run.view);
    PlaceImportTexts(run.texts, run.view);
    if (FormatImportedScore(run.view, 1) != 0) return false;
    // Every system spaced by its notes, each time of a measure in its own column, and
    // the systems filled by width.
    ReformatOptions spacing;
    spacing.reformat = 1;
    const std::vector<std::vector<int>> breaks = SystemsFilledByWidth(run.view);
    spacing.breaks = &breaks;
    if (document->firstPage != nullptr) ReformatFromPage(run.view, &spacing, document->firstPage);
    // The texts and marks are placed against the notes as the pages space them.
    LayOutPagesAgain(run.view);
    PlaceImportedMeasureTexts(run.view);
    // Every staff takes the room of what it holds (notes far from its lines, the
    // texts and marks placed by it) and the pages take as many systems as they hold;
    // pages left holding only the empty measures after the music go.
    LayOutImportedPages(run.view, PageBreaks::ByHeight);
    RemoveEmptyTrailingPages(run.view);
    PlaceTupletMarksOnPages(run.view);
    return true;
}

}  // namespace

bool& ImportGuessClefs() {
    static bool guess = true;
    return guess;
}

namespace {

constexpr uint8_t kLeftHandKey = 55;  // G3: keys below it are a left hand's

// The keys sounding on each channel of a track, and what the plan reads of its hands.
struct TrackHands {
    std::array<std::array<uint8_t, 128>, kFileChannels> sounding{};
    std::array<ChannelHands, kFileChannels> hands{};

    void Read(const smf::MidiFileEvent& event) {
        if (event.kind != smf::MidiEventKind::Channel || event.length < 1) return;
        const int channel = event.status & kChannelMask;
        ChannelHands& h = hands[static_cast<size_t>(channel)];
        std::array<uint8_t, 128>& keys = sounding[static_cast<size_t>(channel)];
        const uint8_t key = event.data[0] & 0x7F;
        if ((event.status & kStatusKindMask) == kProgramChange && h.notes == 0) h.program = key;
        if (IsNoteOff(event) && keys[key] > 0) --keys[key];
        if (!IsNoteOn(event)) return;
        ++h.notes;
        // Struck below G3 while a note from middle C up sounds, or the other way round:
        // a treble part's chords around middle C do not count.
        const bool low = key < kHandsSplitKey;
        const auto otherFrom = low ? keys.begin() + kHandsSplitKey : keys.begin();
        const auto otherTo = low ? keys.end() : keys.begin() + kLeftHandKey;
        const bool reaches = !low || key < kLeftHandKey;
        if (reaches && std::any_of(otherFrom, otherTo, [](uint8_t n) { return n > 0; })) ++h.across;
        if (keys[key] < UINT8_MAX) ++keys[key];
    }
};

constexpr int kDrumChannel = 9;
constexpr int kFewestNotesAcross = 4;
constexpr int kAcrossShare = 10;  // one note in ten
// General MIDI programs of keyboards: pianos, organs, the harp.
constexpr int kLastPiano = 7;
constexpr int kFirstOrgan = 16;
constexpr int kLastOrgan = 23;
constexpr int kHarp = 46;

}  // namespace

bool PlaysWithBothHands(const ChannelHands& hands, int channel) {
    const int p = hands.program;
    const bool keyboard = p < 0 || p <= kLastPiano || (p >= kFirstOrgan && p <= kLastOrgan) || p == kHarp;
    return channel != kDrumChannel && keyboard && hands.across >= kFewestNotesAcross &&
           hands.across * kAcrossShare >= hands.notes;
}

std::vector<TrackStaves> PlanTrackStaves(smf::MidiFileReader& file, int tracks) {
    const uint64_t next = file.nextChunk;
    std::vector<TrackStaves> plan;
    int staff = 0;
    smf::MidiFileEvent event;
    for (int i = 0; i < tracks; ++i) {
        std::unique_ptr<smf::MidiTrack> track = smf::ReadTrackHeader(file);
        if (track == nullptr) break;
        std::vector<int> channels;  // those playing notes, in the order they first play
        bool holds = false;
        auto hands = std::make_unique<TrackHands>();
        smf::TrackReadResult result;
        while ((result = smf::ReadTrackEvent(*track, &event)) == smf::TrackReadResult::Event) {
            const int channel = event.status & kChannelMask;
            if (IsNoteOn(event) && std::ranges::find(channels, channel) == channels.end()) channels.push_back(channel);
            hands->Read(event);
            holds = holds || event.kind != smf::MidiEventKind::Meta || event.status != smf::kMetaEndOfTrack;
        }
        // A damaged track is read, so that the import says it is damaged.
        holds = holds || result == smf::TrackReadResult::Error;
        TrackStaves staves;
        const auto bothHands = [&](int channel) {
            return PlaysWithBothHands(hands->hands[static_cast<size_t>(channel)], channel);
        };
        if (i == 0 ? !channels.empty() : holds) {
            staves.first = ++staff;
            if (!channels.empty() && bothHands(channels[0])) staves.lowerOf[channels[0]] = ++staff;
        }
        for (size_t c = 1; c < channels.size(); ++c) {
            staves.ofChannel[channels[c]] = ++staff;
            if (bothHands(channels[c])) staves.lowerOf[channels[c]] = ++staff;
        }
        for (const int channel : channels) staves.playing |= static_cast<uint16_t>(1u << channel);
        plan.push_back(staves);
    }
    file.nextChunk = next;
    return plan;
}

int LastPlannedStaff(const std::vector<TrackStaves>& plan) {
    int last = 0;
    for (const TrackStaves& staves : plan) last = std::max(last, staves.last());
    return last;
}

int ImportResolution(uint16_t division) {
    if ((division & kSmpteDivision) == 0) return division;
    const int framesPerSecond = -static_cast<int8_t>(division >> 8);
    const int ticksPerFrame = division & 0xFF;
    return framesPerSecond * ticksPerFrame / 2;
}

SmfImportResult ImportStandardMidiFile(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return SmfImportResult::Refused;
    std::unique_ptr<smf::MidiFileReader> file = smf::OpenMidiFileForRead(State().files.ImportPath);
    if (file == nullptr) return SmfImportResult::Refused;
    if (file->format == 2) {
        ErrorBox(kType2NotSupportedText);
        return SmfImportResult::Refused;
    }
    const int resolution = ImportResolution(file->division);
    if (file->format > 2 || resolution <= 0) {
        ErrorBox(ProgramString(kStrInvalidMidiData));
        return SmfImportResult::Refused;
    }
    ImportRun run;
    run.view = view;
    run.document = view->document;
    run.format = file->format;
    run.staffCount = view->document->header.staffCount;
    run.plan = PlanTrackStaves(*file, run.format == 0 ? 1 : file->trackCount);
    if (run.staffCount > 0 && LastPlannedStaff(run.plan) > run.staffCount)
        run.report.Count(kStavesPastLastStaff, LastPlannedStaff(run.plan) - run.staffCount);
    run.smpte = (file->division & kSmpteDivision) != 0;
    if (run.smpte) run.document->header.tempo = 120;
    run.signatures = BeginImportSignatures(view, resolution);
    BeginImportTexts(run.texts, run.staffCount, run.format == 0);

    const uint8_t voiceMask = view->voiceMask;
    view->voiceMask = 0;
    ResetTranscription();
    ResetTranscriptionWritten();
    TranscriptionInput& in = TranscriptionInputs();
    in.mode = run.format == 0 ? RecordMode::Multichannel : RecordMode::Single;
    in.resolution = resolution;
    in.nativeTime = false;
    in.firstMeasure = 1;
    in.lastMeasure = MeasureLimit;
    in.autoClef = ImportGuessClefs();
    in.voice = 0;

    BeginProgressDialog(1, std::max<int>(file->trackCount, 1), kImportCaptionText);
    SmfImportResult result = ReadTracks(run, *file) ? SmfImportResult::Imported : SmfImportResult::Cancelled;
    file.reset();
    // A damaged file of which not one note could be read is refused: no empty
    // score stays behind its message.
    if (result == SmfImportResult::Imported && run.invalidShown && TranscriptionCountsNow().noteOns == 0)
        result = SmfImportResult::Refused;
    if (result == SmfImportResult::Imported && !FinishImport(run)) result = SmfImportResult::Cancelled;
    const uint32_t leftOut = TranscriptionCountsNow().pastLastMeasure;
    ResetTranscription();
    view->voiceMask = voiceMask;
    EndProgressDialog();
    SetStatusText(1, nullptr);
    if (result == SmfImportResult::Cancelled) SetStatusText(0, kImportCancelledText);
    if (result != SmfImportResult::Imported) return result;
    RedrawLinkedViews(view);
    UpdateLinkedViews(view);
    SetStatusText(0, kDoneText);
    ReportNotesLeftOut(leftOut, kImportCaptionText);
    run.report.Show(kImportCaptionText);
    // A new score, as every import is: closing it unedited asks nothing (the file it
    // came from is still there), an edit makes it ask.
    ClearDocumentModified(run.document);
    return SmfImportResult::Imported;
}

}  // namespace ql
