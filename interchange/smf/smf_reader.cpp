// The Standard MIDI File reader: header, track chunks and events, bounded by the
// chunk lengths and the file.
#include "interchange/smf/smf_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/ui/status_bar.h"
#include "interchange/smf/smf_strings.h"
#include "platform/midi/input_parser.h"
#include "platform/ui/message_box.h"

namespace ql::smf {
namespace {

bool IdIs(const uint8_t* bytes, const std::array<uint8_t, 4>& id) {
    return std::memcmp(bytes, id.data(), id.size()) == 0;
}

// Reads the 14 header bytes, unwrapping a RIFF "RMID" file first.
bool ReadHeaderBytes(ByteSource& source, uint8_t (&header)[kHeaderChunkBytes], uint64_t* start) {
    *start = 0;
    if (source.Read(header, kHeaderChunkBytes) != kHeaderChunkBytes) return false;
    if (!IdIs(header, kRiffId) || !IdIs(header + kRiffFormOffset, kRmidId)) return true;
    *start = kRiffPreambleBytes;
    return source.Seek(kRiffPreambleBytes) &&
           source.Read(header, kHeaderChunkBytes) == kHeaderChunkBytes;
}

std::unique_ptr<MidiFileReader> OpenSource(std::unique_ptr<ByteSource> source,
                                           SmfOpenStatus* status) {
    uint8_t header[kHeaderChunkBytes];
    uint64_t start = 0;
    *status = SmfOpenStatus::InvalidData;
    if (!ReadHeaderBytes(*source, header, &start) || !IdIs(header, kHeaderId)) return nullptr;
    auto file = std::make_unique<MidiFileReader>();
    std::memcpy(file->headerId, header, sizeof file->headerId);
    file->headerLength = ReadBigEndian32(header + 4);
    if (file->headerLength < kHeaderDataBytes) return nullptr;
    file->format = ReadBigEndian16(header + 8);
    file->trackCount = ReadBigEndian16(header + 10);
    file->division = ReadBigEndian16(header + 12);
    // Header bytes beyond the six known ones are skipped.
    file->nextChunk = start + kChunkHeaderBytes + file->headerLength;
    file->source = std::move(source);
    *status = SmfOpenStatus::Ok;
    return file;
}

// A variable-length number inside the track; CutShort past the chunk's end,
// NumberTooLong on a fifth continuation byte.
TrackStopReason ReadVlq(MidiTrack& track, uint32_t* value) {
    ByteSource& source = *track.file->source;
    uint32_t result = 0;
    for (size_t i = 0; i < kMaxVlqBytes; ++i) {
        if (source.Position() >= track.end) return TrackStopReason::CutShort;
        const int byte = source.ReadByte();
        if (byte < 0) return TrackStopReason::CutShort;
        result = (result << 7) | static_cast<uint32_t>(byte & 0x7F);
        if ((byte & 0x80) == 0) {
            *value = result;
            return TrackStopReason::None;
        }
    }
    return TrackStopReason::NumberTooLong;
}

int ReadTrackByte(MidiTrack& track) {
    ByteSource& source = *track.file->source;
    if (source.Position() >= track.end) return -1;
    return source.ReadByte();
}

// Records why and where (`at`, a file position) the track stopped.
TrackReadResult Stop(MidiTrack& track, TrackStopReason reason, uint64_t at) {
    track.stop = TrackStop{reason, static_cast<uint32_t>(at - track.start)};
    return TrackReadResult::Error;
}

// `length` bytes of data that must lie inside the chunk (read from `lengthAt`); a
// terminating zero is added when asked (meta data).
TrackReadResult ReadSizedData(MidiTrack& track, uint32_t length, bool terminate, uint64_t lengthAt,
                              MidiFileEvent* event) {
    ByteSource& source = *track.file->source;
    if (track.end - source.Position() < length)
        return Stop(track, TrackStopReason::DataPastChunk, lengthAt);
    event->data.assign(length + (terminate ? 1u : 0u), 0);
    event->length = length;
    if (source.Read(event->data.data(), length) != length)
        return Stop(track, TrackStopReason::CutShort, lengthAt);
    return TrackReadResult::Event;
}

// A channel event whose status (or first data byte) was read at `statusAt`.
TrackReadResult ReadChannelEvent(MidiTrack& track, int first, uint64_t statusAt,
                                 MidiFileEvent* event) {
    event->kind = MidiEventKind::Channel;
    int dataLeft = 0;
    event->data.clear();
    if (first < 0x80) {  // running status: this byte is the first data byte
        event->data.push_back(static_cast<uint8_t>(first));
        dataLeft = track.runningLength - 1;
    } else {
        track.runningStatus = static_cast<uint8_t>(first);
        track.runningLength = static_cast<uint8_t>(ChannelDataLength(track.runningStatus));
        dataLeft = track.runningLength;
    }
    event->status = track.runningStatus;
    for (; dataLeft > 0; --dataLeft) {
        const int byte = ReadTrackByte(track);
        if (byte < 0) return Stop(track, TrackStopReason::CutShort, statusAt);
        event->data.push_back(static_cast<uint8_t>(byte));
    }
    event->length = static_cast<uint32_t>(event->data.size());
    return TrackReadResult::Event;
}

TrackReadResult ReadSysExOrMeta(MidiTrack& track, int first, MidiFileEvent* event) {
    ByteSource& source = *track.file->source;
    const bool meta = first == kStatusMeta;
    event->kind = meta ? MidiEventKind::Meta : MidiEventKind::SysEx;
    event->status = static_cast<uint8_t>(first);
    if (meta) {
        const uint64_t typeAt = source.Position();
        const int type = ReadTrackByte(track);
        if (type < 0) return Stop(track, TrackStopReason::CutShort, typeAt);
        event->status = static_cast<uint8_t>(type);
    }
    const uint64_t lengthAt = source.Position();
    uint32_t length = 0;
    if (const TrackStopReason why = ReadVlq(track, &length); why != TrackStopReason::None)
        return Stop(track, why, lengthAt);
    const TrackReadResult result = ReadSizedData(track, length, meta, lengthAt, event);
    if (result == TrackReadResult::Event && meta && event->status == kMetaEndOfTrack)
        track.ended = true;
    return result;
}

// The data bytes after a system-common or real-time status (F1..FE but F7), or
// nothing for the undefined statuses F4, F5, F9 and FD.
std::optional<int> SystemMessageDataLength(uint8_t status) {
    const int length = midi::ShortMessageLength(status);  // the status byte included
    if (length == 0) return std::nullopt;
    return length - 1;
}

// Passes over a system-common or real-time message whose status was read at
// `statusAt`; Event when the reading goes on after it.
TrackReadResult SkipSystemMessage(MidiTrack& track, uint8_t status, uint64_t statusAt) {
    const std::optional<int> length = SystemMessageDataLength(status);
    if (!length) return Stop(track, TrackStopReason::UndefinedStatus, statusAt);
    for (int i = 0; i < *length; ++i)
        if (ReadTrackByte(track) < 0) return Stop(track, TrackStopReason::CutShort, statusAt);
    ++track.skippedMessages;
    return TrackReadResult::Event;
}

uint32_t AddDeltas(uint32_t a, uint32_t b) {
    return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{a} + b, UINT32_MAX));
}

TrackReadResult ReadEventAtPosition(MidiTrack& track, MidiFileEvent* event) {
    ByteSource& source = *track.file->source;
    uint32_t skippedTime = 0;  // the delta times of the messages skipped so far
    for (;;) {
        const uint64_t deltaAt = source.Position();
        uint32_t delta = 0;
        if (const TrackStopReason why = ReadVlq(track, &delta); why != TrackStopReason::None)
            return Stop(track, why, deltaAt);
        const uint64_t statusAt = source.Position();
        const int first = ReadTrackByte(track);
        if (first < 0) return Stop(track, TrackStopReason::CutShort, statusAt);
        event->delta = AddDeltas(skippedTime, delta);
        if (first == kStatusSysEx || first == kStatusSysExEscape || first == kStatusMeta)
            return ReadSysExOrMeta(track, first, event);
        if (first < kStatusSysEx) return ReadChannelEvent(track, first, statusAt, event);
        if (SkipSystemMessage(track, static_cast<uint8_t>(first), statusAt) !=
            TrackReadResult::Event)
            return TrackReadResult::Error;
        skippedTime = event->delta;
        if (source.Position() >= track.end) {
            track.ended = true;
            return TrackReadResult::End;
        }
    }
}

}  // namespace

std::unique_ptr<MidiFileReader> OpenMidiFile(const std::string& path, SmfOpenStatus* status,
                                             int* error) {
    *error = 0;
    const sys::FileDescriptor descriptor = sys::OpenFileForRead(path, sys::FileShare::None, error);
    if (descriptor == sys::kNoFile) {
        *status = SmfOpenStatus::OpenFailed;
        return nullptr;
    }
    return OpenSource(ByteSource::FromFile(descriptor), status);
}

std::unique_ptr<MidiFileReader> OpenMidiBytes(std::span<const uint8_t> bytes,
                                              SmfOpenStatus* status) {
    return OpenSource(ByteSource::FromMemory(bytes), status);
}

std::unique_ptr<MidiFileReader> OpenMidiFileForRead(const std::string& path) {
    SmfOpenStatus status = SmfOpenStatus::Ok;
    int error = 0;
    std::unique_ptr<MidiFileReader> file = OpenMidiFile(path, &status, &error);
    if (status == SmfOpenStatus::OpenFailed) {
        const std::string text = ProgramString(kStrFileOpenError) + ": " + std::to_string(error);
        ErrorBox(text);
    } else if (status == SmfOpenStatus::InvalidData) {
        const std::string text = ProgramString(kStrInvalidMidiData);
        ShowNotice(text.c_str());
        ErrorBox(text);
    }
    return file;
}

std::unique_ptr<MidiTrack> ReadTrackHeader(MidiFileReader& file) {
    ByteSource& source = *file.source;
    uint8_t header[kChunkHeaderBytes];
    while (source.Seek(file.nextChunk) &&
           source.Read(header, kChunkHeaderBytes) == kChunkHeaderBytes) {
        const uint32_t length = ReadBigEndian32(header + 4);
        const uint64_t dataStart = file.nextChunk + kChunkHeaderBytes;
        file.nextChunk = dataStart + length;
        if (!IdIs(header, kTrackId)) continue;
        auto track = std::make_unique<MidiTrack>();
        track->file = &file;
        track->byteCount = length;
        track->start = dataStart;
        track->end = std::min<uint64_t>(file.nextChunk, source.Size());
        track->position = dataStart;
        return track;
    }
    return nullptr;
}

int CountTrackChunks(MidiFileReader& file, int most) {
    const uint64_t next = file.nextChunk;
    int count = 0;
    while (count < most && ReadTrackHeader(file) != nullptr) ++count;
    file.nextChunk = next;
    return count;
}

TrackReadResult ReadTrackEvent(MidiTrack& track, MidiFileEvent* event) {
    if (track.Stopped()) return TrackReadResult::Error;
    ByteSource& source = *track.file->source;
    if (track.ended || track.position >= track.end || !source.Seek(track.position)) {
        track.ended = true;
        return TrackReadResult::End;
    }
    const TrackReadResult result = ReadEventAtPosition(track, event);
    track.position = source.Position();
    if (result == TrackReadResult::Event) ++track.eventsRead;
    return result;
}

}  // namespace ql::smf
