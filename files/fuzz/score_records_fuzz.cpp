// Fuzz entry point for the record decoders of native score files: object records
// (into a list and thrown away), the face-name table, staff labels, spacing lists,
// a voice's rests and the character sets. The first input byte picks the decoder and
// the second the file version; the rest is the file. Every read must end in success
// or a refusal, and once what it built is destroyed the document's pools must hold
// exactly the records they held before.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "files/bench/sixteenths_score.h"
#include "files/bytes/byte_reader.h"
#include "files/records/face_name_table.h"
#include "files/records/file_version.h"
#include "files/records/font_records.h"
#include "files/records/measure_records_io.h"
#include "files/records/object_records.h"
#include "files/records/rest_records.h"
#include "files/records/staff_records.h"
#include "files/score_file.h"

namespace {

using namespace ql;

constexpr int kDecoders = 7;
constexpr int kMaxObjects = 4;

struct Session {
    ScoreView* view = nullptr;
    ScoreDocument* document = nullptr;
    ScoreObject* list = nullptr;
    MeasureCell* cell = nullptr;
};

Session& TheSession() {
    static Session session = [] {
        Session s;
        bench_files::ResetForScoreFiles();
        s.view = InitView(AllocView());
        s.document = AllocDocument();
        if (CreateDocument(s.document, s.view, nullptr) == nullptr) std::abort();
        s.list = AllocRootObject();
        s.document->header.staffCount = 1;
        for (int staff = 0; staff <= 1; ++staff)
            s.document->staves->staves[staff] =
                Ref32<StaffRecord>::To(ConstructStaffRecord(AllocStaffRecord(), s.view));
        s.cell = GetOrCreateMeasureCell(StaffRecordOf(s.document, 1), s.document, 1);
        if (s.list == nullptr || s.cell == nullptr) std::abort();
        // The rest reader puts rests into the voice's element list; the list itself
        // belongs to the cell, so it is made once here and not counted as a leak.
        if (GetOrCreateVoiceElementList(s.cell, 0) == nullptr) std::abort();
        return s;
    }();
    return session;
}

int LiveRecords(ScoreDocument* document) {
    int live = 0;
    for (int pool = 0; pool < kDocumentPoolCount; ++pool)
        for (int block = 0; block < kMaxPoolBlocks; ++block)
            for (int slot = 1; slot < document->pools.pools[pool].blocks[block].nextFresh; ++slot) {
                void* record = PoolSlotAddress(pool, block, slot);
                if (record != nullptr && IsLiveRecord(PoolSet(document->pools), pool, record))
                    ++live;
            }
    return live;
}

int16_t LeadingCount() {
    uint8_t word[2] = {};
    if (!ReadScoreBytes(word, 2)) return 0;
    return static_cast<int16_t>(LoadLe16(word));
}

void ReadWith(int decoder, Session& s) {
    switch (decoder) {
        case 0:
            ReadScoreObject(s.view, s.list, 1 + LeadingCount() % kMaxObjects);
            ReleaseObjectChain(s.list, s.document);
            break;
        case 1:
            ReadScoreObject(s.view, nullptr, 1 + LeadingCount() % kMaxObjects);
            break;
        case 2: {
            FaceNameEntry names[kFaceNameCount] = {};
            bool damaged = false;
            ReadFaceNameTable(names, &damaged);
            break;
        }
        case 3: {
            LabelRead read = ReadStaffLabel(State().files.FileVersion);
            if (read.label != nullptr) ReleaseObjectByType(s.document, read.label);
            break;
        }
        case 4: {
            RecordHandle first{};
            ReadSpacingList(LeadingCount(), &first);
            for (RecordHandle h = first; h;) {
                auto* entry = FindRecord<SpacingEntry>(kSpacingEntryPool, h);
                if (entry == nullptr) std::abort();  // a chain the reader built is whole
                h = RecordHandle{entry->next};
                FreeRecord(kSpacingEntryPool, entry);
            }
            break;
        }
        case 5:
            ReadRecordChain(s.cell, 0, LeadingCount(), 4096);
            if (ScoreObject* list = GetVoiceElementList(s.cell, 0)) DeleteRestChain(list);
            break;
        default:
            ReadCharsets(s.document->fonts);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    Session& s = TheSession();
    ScopedPoolSet pools(s.document->pools);
    State().files.FileVersion = data[1] & 0x3F;
    State().files.VersionChoice =
        (data[1] & 0x40) != 0 ? kVersionChoiceShorter : kVersionChoiceNone;
    State().files.VersionFieldWidth = (data[1] & 0x80) != 0 ? 1 : 2;
    int before = LiveRecords(s.document);
    OpenScoreImageForRead(std::vector<uint8_t>(data + 2, data + size));
    ReadWith(data[0] % kDecoders, s);
    CloseScoreFile();
    if (LiveRecords(s.document) != before) std::abort();  // a record leaked
    s.document->ownedRecords.clear();  // pictures' bytes kept by successful reads
    return 0;
}
