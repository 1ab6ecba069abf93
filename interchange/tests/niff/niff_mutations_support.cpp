// Random damage to NIFF bytes.
#include "interchange/tests/niff/niff_mutations.h"

#include <algorithm>

namespace ql::niff::testing {

void Mutate(std::vector<uint8_t>& bytes, std::mt19937& random) {
    switch (random() % 6) {
        case 0:  // bit flips
            for (int i = 0; i < 1 + static_cast<int>(random() % 6); ++i)
                bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        case 1:  // a cut
            bytes.resize(random() % bytes.size());
            break;
        case 2: {  // a rewritten length field (any 4 bytes after an id-like place)
            const size_t at = 4 + random() % (bytes.size() - 4);
            const uint32_t length =
                random() % 3 == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(random() % 200);
            for (int i = 0; i < 4 && at + static_cast<size_t>(i) < bytes.size(); ++i)
                bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (24 - 8 * i));
            break;
        }
        case 3: {  // a run copied over another place (duplicated or swapped chunks)
            const size_t from = random() % bytes.size();
            const size_t to = random() % bytes.size();
            const size_t count =
                std::min({bytes.size() - from, bytes.size() - to, size_t{1} + random() % 40});
            std::copy_n(
                std::vector<uint8_t>(bytes.begin() + static_cast<long>(from), bytes.end()).begin(),
                count, bytes.begin() + static_cast<long>(to));
            break;
        }
        case 5: {  // lists nested deeper than the reader allows, around the rest
            const size_t depth = 1 + random() % 20;
            const size_t at = std::min<size_t>(12, bytes.size());
            std::vector<uint8_t> nest;
            for (size_t level = 0; level < depth; ++level) {
                const uint32_t length = static_cast<uint32_t>(bytes.size() - at + (depth - level) * 12 - 8);
                const uint8_t header[12] = {'L', 'I', 'S', 'T', static_cast<uint8_t>(length >> 24),
                                            static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 8),
                                            static_cast<uint8_t>(length), 'g', 'r', 'u', 'p'};
                nest.insert(nest.end(), header, header + 12);
            }
            bytes.insert(bytes.begin() + static_cast<long>(at), nest.begin(), nest.end());
            break;
        }
        default:  // random tag bytes
            for (int i = 0; i < 4; ++i)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    }
}

}  // namespace ql::niff::testing
