// Fuzz entry point for the readers of score-object bodies inside score files: the
// MIDI action, the text object's stored form and the MIDI-carrying text object.
// The first input byte picks the reader and the file version; the rest is the file.
// Every read must refuse cleanly or give a record whose owned records are live,
// and destroying the record must give every pool record back.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/memory/pool.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/text_object.h"

namespace {

const uint8_t* g_data = nullptr;
size_t g_size = 0;
size_t g_at = 0;

int ReadFuzzInput(void* buffer, uint32_t count) {
    if (count > g_size - g_at) return 0;
    std::memcpy(buffer, g_data + g_at, count);
    g_at += count;
    return 1;
}

// Records handed out and not given back, in every pool of the set.
int LiveRecords(ql::DocumentPoolSet& set) {
    int live = 0;
    for (int pool = 0; pool < ql::kDocumentPoolCount; ++pool)
        for (int block = 0; block < ql::kMaxPoolBlocks; ++block)
            for (int slot = 1; slot < set.pools[pool].blocks[block].nextFresh; ++slot) {
                void* record = ql::PoolSlotAddress(pool, block, slot);
                if (record != nullptr && ql::IsLiveRecord(ql::PoolSet(set), pool, record)) ++live;
            }
    return live;
}

void ReadOne(uint8_t selector) {
    using namespace ql;
    constexpr uint8_t kVersions = 41;
    State().files.FileVersion = static_cast<uint8_t>((selector >> 2) % kVersions);
    switch (selector & 3) {
        case 0: {
            MidiAction action;
            ConstructMidiAction(&action);
            ReadMidiAction(&action, ReadFuzzInput);
            DestroyMidiAction(&action);
            break;
        }
        case 1: {
            TextObject text;
            ConstructTextObject(&text);
            if (ReadTextObjectString(&text, ReadFuzzInput) != 0) (void)TextObjectString(&text);
            DestroyTextObject(&text);
            break;
        }
        default: {
            MidiTextRecord record{};
            ConstructMidiAction(&record.action);
            ConstructTextObject(AsTextObject(&record.text));
            record.text.classId = kMidiTextObjectClass;
            ReadObjectWithMidiAction(&record.text, ReadFuzzInput);
            DestroyMidiAction(&record.action);
            DestroyTextObject(AsTextObject(&record.text));
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql;
    if (size == 0) return 0;
    static DocumentPoolSet set;
    ResetProgramState();
    InitDocumentPoolSet(set);
    SetCurrentPoolSet(PoolSet(set));
    ResetObjectClassTable();
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    g_data = data + 1;
    g_size = size - 1;
    g_at = 0;
    ReadOne(data[0]);
    if (LiveRecords(set) != 0) std::abort();  // a string or data record leaked
    ResetObjectClassTable();
    FreeDocumentPoolSet(set);
    return 0;
}
