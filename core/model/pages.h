// Pages and systems: construction and destruction, the staff arrays of a system
// (their pools chosen by the staff count), system chains, and page lookups by
// position and number. The page list runs left master, right master, page 1, ...
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/page_records.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;

ScorePage* AllocPageRecord(size_t size);  // pool 8; the size is ignored
// Zero-fills the page and creates its margin element; a failed margin element shows
// the "STAFF" low-memory box and the page is returned without margins.
ScorePage* ConstructPageRecord(ScorePage* page);
// Frees the page's systems and releases its margin element with its objects.
void DestroyPageRecord(ScorePage* page);
// DestroyPageRecord, then the page record itself.
void FreePageRecord(ScorePage* page);

ScoreSystem* AllocSystemRecord(size_t size);  // pool 6; the size is ignored
// Both staff arrays for the document's staff count; null arrays when an allocation
// failed (HasSystemArrays tells).
ScoreSystem* ConstructSystemRecord(ScoreSystem* system, ScoreView* view);
ScoreSystem* ConstructSystemRecordWithFlag(ScoreSystem* system, ScoreView* view, int8_t flag);
ScoreSystem* ConstructSystemRecordFrom(ScoreSystem* system, ScoreView* view,
                                       const ScoreSystem* tmpl);
bool HasSystemArrays(const ScoreSystem* system);
void ResizeSystemArrays(ScoreSystem* system, int highestIndex, int staffCount);
void FreeSystemArrays(ScoreSystem* system);
void LinkSystemsAfter(ScoreSystem* system, ScoreSystem* chain);
ScoreSystem* InsertSystemCopies(ScoreSystem* system, ScoreView* view, int n);
// Frees every system after `system` (far end first) with its arrays.
void FreeSystemChain(ScoreSystem* system);
// Frees a system's arrays and the system.
void FreeSystemRecord(ScoreSystem* system);

uint16_t* StaffOffsetsOf(const ScoreSystem* system);
int8_t* StaffFlagsOf(const ScoreSystem* system);

// ---- Margins of a page (its margin element, type 33) ----
// The element's body: four logical margins (left, top, right, bottom), then the
// same four as distance words (BcdInches in the page unit) in the low halves of
// 32-bit fields.
struct PageMargins {
    int32_t logical[4] = {};
    uint32_t words[4] = {};
};
// False (out untouched) when the page has no margin element.
bool GetPageMargins(const ScorePage* page, PageMargins* out);
// False when the page has no margin element.
bool SetPageMargins(ScorePage* page, const PageMargins& margins);
// The four distance words and their logical values in the document's unit and
// staff size (ConvertMeasureUnits).
void SetPageMarginWords(ScoreDocument* document, ScorePage* page, const uint16_t (&words)[4]);
void CopyPageMargins(ScorePage* to, const ScorePage* from);
// The master pages take the header's two margin sets, and page 1 its master's
// (the left one, the right when the score starts on a right page).
void ApplyHeaderMargins(ScoreDocument* document);

int GetPageNumberAt(ScoreDocument* document, int n);
int GetLastPageNumber(ScorePage* page);
ScorePage* FindPageByNumber(ScoreDocument* document, int number, ScorePage* after);
int GetPageIndex(ScoreDocument* document, ScorePage* page);
ScorePage* GetPageAt(ScoreDocument* document, int n);
// Index in the page list of the page holding a measure; 0 when out of range.
int PageIndexOfMeasure(ScoreDocument* document, int measure);

}  // namespace ql
