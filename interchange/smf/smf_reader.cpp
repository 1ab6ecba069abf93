// The Standard MIDI File reader: header, track chunks and events, bounded by the
// chunk lengths and the file.
#include "interchange/smf/smf_reader.h"

#include <algorithm>
#include <cstring>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/ui/status_bar.h"
#include "interchange/smf/smf_strings.h"
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

// A variable-length number inside the track; false past the chunk's end or on a
// fifth continuation byte.
bool ReadVlq(MidiTrack& track, uint32_t* value) {
    ByteSource& source = *track.file->source;
    uint32_t result = 0;
    for (size_t i = 0; i < kMaxVlqBytes; ++i) {
        if (source.Position() >= track.end) return false;
        const int byte = source.ReadByte();
        if (byte < 0) return false;
        result = (result << 7) | static_cast<uint32_t>(byte & 0x7F);
        if ((byte & 0x80) == 0) {
            *value = result;
            return true;
        }
    }
    return false;
}

int ReadTrackByte(MidiTrack& track) {
    ByteSource& source = *track.file->source;
    if (source.Position() >= track.end) return -1;
    return source.ReadByte();
}

// `length` bytes of data that must lie inside the chunk; a terminating zero is
// added when asked (meta data).
bool ReadSizedData(MidiTrack& track, uint32_t length, bool terminate, MidiFileEvent* event) {
    ByteSource& source = *track.file->source;
    if (track.end - source.Position() < length) return false;
    event->data.assign(length + (terminate ? 1u : 0u), 0);
    event->length = length;
    return source.Read(event->data.data(), length) == length;
}

TrackReadResult Fail(MidiTrack& track) {
    track.error = true;
    return TrackReadResult::Error;
}

TrackReadResult ReadChannelEvent(MidiTrack& track, int first, MidiFileEvent* event) {
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
        if (byte < 0) return Fail(track);
        event->data.push_back(static_cast<uint8_t>(byte));
    }
    event->length = static_cast<uint32_t>(event->data.size());
    return TrackReadResult::Event;
}

TrackReadResult ReadSysExOrMeta(MidiTrack& track, int first, MidiFileEvent* event) {
    const bool meta = first == kStatusMeta;
    event->kind = meta ? MidiEventKind::Meta : MidiEventKind::SysEx;
    event->status = static_cast<uint8_t>(first);
    if (meta) {
        const int type = ReadTrackByte(track);
        if (type < 0) return Fail(track);
        event->status = static_cast<uint8_t>(type);
    }
    uint32_t length = 0;
    if (!ReadVlq(track, &length) || !ReadSizedData(track, length, meta, event)) return Fail(track);
    if (meta && event->status == kMetaEndOfTrack) track.ended = true;
    return TrackReadResult::Event;
}

TrackReadResult ReadEventAtPosition(MidiTrack& track, MidiFileEvent* event) {
    if (!ReadVlq(track, &event->delta)) return Fail(track);
    const int first = ReadTrackByte(track);
    if (first < 0) return Fail(track);
    if (first == kStatusSysEx || first == kStatusSysExEscape || first == kStatusMeta)
        return ReadSysExOrMeta(track, first, event);
    if (first >= kStatusSysEx) return Fail(track);  // system common and real-time bytes
    return ReadChannelEvent(track, first, event);
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
        track->end = std::min<uint64_t>(file.nextChunk, source.Size());
        track->position = dataStart;
        return track;
    }
    return nullptr;
}

TrackReadResult ReadTrackEvent(MidiTrack& track, MidiFileEvent* event) {
    if (track.error) return TrackReadResult::Error;
    ByteSource& source = *track.file->source;
    if (track.ended || track.position >= track.end || !source.Seek(track.position)) {
        track.ended = true;
        return TrackReadResult::End;
    }
    const TrackReadResult result = ReadEventAtPosition(track, event);
    track.position = source.Position();
    return result;
}

}  // namespace ql::smf
