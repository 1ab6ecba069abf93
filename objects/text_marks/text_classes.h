// Registration of the text classes of this folder's text kinds: text lines (18),
// lyrics (50), text boxes (6) and staff labels (28), each over the stored class
// that keeps their records until then.
#pragma once

namespace ql {

// Run after RegisterStoredObjectClasses (start-up; tests after resetting the table).
void RegisterScoreTextClasses();

}  // namespace ql
