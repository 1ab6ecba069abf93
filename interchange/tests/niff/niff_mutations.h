// Random damage to NIFF bytes for the damaged-file drivers: bit flips, cuts,
// rewritten length fields, runs copied over other places (duplicated or swapped
// chunks) and random tag bytes.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace ql::niff::testing {

void Mutate(std::vector<uint8_t>& bytes, std::mt19937& random);

}  // namespace ql::niff::testing
