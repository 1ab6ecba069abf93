// The Standard MIDI File writer.
#include "interchange/smf/smf_writer.h"

#include <cstdio>
#include <vector>

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/system_error.h"
#include "files/bytes/file_faults.h"
#include "interchange/smf/smf_strings.h"
#include "platform/ui/message_box.h"

namespace ql::smf {
namespace {

constexpr uint8_t kDataByteLimit = 0x80;

// Writes bytes at the file's end; on the first failure tells the user once.
bool Append(MidiFileWriter& file, const uint8_t* bytes, size_t count) {
    if (file.failed) return false;
    int error = InjectedFileFault(FileStep::Write);
    if (error == 0 && sys::WriteFileBytes(file.file, bytes, count, &error)) {
        file.size += count;
        return true;
    }
    file.failed = true;
    if (!file.errorShown) {
        file.errorShown = true;
        ShowSystemError(kSaveIoErrorText, error);
    }
    return false;
}

bool PatchLength(MidiFileWriter& file, uint64_t position, uint32_t length) {
    if (file.failed) return false;
    uint8_t bytes[4];
    WriteBigEndian32(bytes, length);
    int error = 0;
    if (sys::SeekFile(file.file, position, &error) &&
        sys::WriteFileBytes(file.file, bytes, sizeof bytes, &error) &&
        sys::SeekFile(file.file, file.size, &error))
        return true;
    file.failed = true;
    if (!file.errorShown) {
        file.errorShown = true;
        ShowSystemError(kSaveIoErrorText, error);
    }
    return false;
}

void AppendVlq(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[kMaxVlqBytes];
    const size_t count = EncodeVlq(value, bytes);
    out.insert(out.end(), bytes, bytes + count);
}

int WriteTrackBytes(MidiTrackWriter& track, const std::vector<uint8_t>& out) {
    if (!Append(*track.file, out.data(), out.size())) return -1;
    track.byteCount += static_cast<uint32_t>(out.size());
    track.firstEvent = false;
    return static_cast<int>(out.size());
}

}  // namespace

void ShowCreateMidiFileError(int error, int32_t captionId) {
    std::string text = kCreateMidiFileErrorFormat;
    const size_t at = text.find("%s");
    text.replace(at, 2, SystemErrorMessage(error));
    ModalMessageBox(text, ProgramString(captionId), ui::kBoxIconStop);
}

std::unique_ptr<MidiFileWriter> CreateMidiFile(const std::string& path, uint16_t format,
                                               uint16_t tracks, uint16_t division,
                                               int32_t captionId) {
    int error = 0;
    auto file = std::make_unique<MidiFileWriter>();
    file->file = sys::CreateFileForWrite(path, &error);
    if (file->file == sys::kNoFile) {
        ShowCreateMidiFileError(error, captionId);
        return nullptr;
    }
    uint8_t header[kHeaderChunkBytes];
    std::copy(kHeaderId.begin(), kHeaderId.end(), header);
    uint8_t* at = WriteBigEndian32(header + 4, kHeaderDataBytes);
    at = WriteBigEndian16(at, format);
    at = WriteBigEndian16(at, tracks);
    WriteBigEndian16(at, division);
    if (!Append(*file, header, sizeof header)) {
        sys::CloseFile(file->file, &error);
        return nullptr;
    }
    return file;
}

bool CloseMidiFile(std::unique_ptr<MidiFileWriter> file) {
    if (!file) return false;
    int error = 0;
    const bool closed = sys::CloseFile(file->file, &error);
    if (!closed && !file->errorShown) ShowSystemError(kSaveIoErrorText, error);
    return closed && !file->failed;
}

std::unique_ptr<MidiTrackWriter> CreateMidiTrack(MidiFileWriter& file) {
    uint8_t header[kChunkHeaderBytes] = {};
    std::copy(kTrackId.begin(), kTrackId.end(), header);
    if (!Append(file, header, sizeof header)) return nullptr;
    auto track = std::make_unique<MidiTrackWriter>();
    track->file = &file;
    track->lengthPosition = file.size - 4;
    return track;
}

bool CloseMidiTrack(std::unique_ptr<MidiTrackWriter> track) {
    if (!track) return false;
    if (!track->writeLengthAtClose) return !track->file->failed;
    return PatchLength(*track->file, track->lengthPosition, track->byteCount);
}

int WriteMidiEvent(MidiTrackWriter& track, uint32_t delta, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return 1;
    std::vector<uint8_t> out;
    out.reserve(bytes.size() + kMaxVlqBytes + 1);
    AppendVlq(out, delta);
    const uint8_t first = bytes[0];
    if (first == kStatusSysEx || first == kStatusSysExEscape) {
        // F0 or F7, the length of the bytes after it, then those bytes.
        out.push_back(first);
        bytes = bytes.subspan(1);
        AppendVlq(out, static_cast<uint32_t>(bytes.size()));
        track.runningStatus = 0;
    } else if (first > kStatusSysEx) {
        track.runningStatus = 0;  // written whole; nothing runs on after it
    } else if (first >= kDataByteLimit) {
        if (first != track.runningStatus || track.firstEvent) out.push_back(first);
        track.runningStatus = track.lastChannelStatus = first;
        bytes = bytes.subspan(1);
    } else if (track.firstEvent || track.runningStatus == 0) {
        // Data alone: the status it runs under is written in front of it.
        out.push_back(track.lastChannelStatus);
        track.runningStatus = track.lastChannelStatus;
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    return WriteTrackBytes(track, out);
}

int WriteMidiMetaEvent(MidiTrackWriter& track, uint8_t type, uint32_t delta,
                       std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + 2 * kMaxVlqBytes + 2);
    AppendVlq(out, delta);
    out.push_back(kStatusMeta);
    out.push_back(type);
    AppendVlq(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    track.runningStatus = 0;
    return WriteTrackBytes(track, out);
}

}  // namespace ql::smf
