// What the Undo and Redo commands name: a verb (Add, Move, ...) and an object (a kind
// such as Note or Page, or, for kind Item, the short name of the object's type), read
// from the top record of the stack. One home for the three tables of string ids.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

struct ScoreDocument;

// String ids (0 = no text) of a verb 0..17, a kind 0..26 and a type code 0..55.
int32_t UndoVerbStringId(uint8_t verb);
int32_t UndoKindStringId(uint8_t kind);
int32_t ObjectTypeNameStringId(uint8_t type);

// The texts of those ids (language bundle, program bundle, then the built-in English
// text); empty for none.
std::string UndoVerbText(uint8_t verb);
std::string ObjectTypeName(uint8_t type);
// The object word of a record: the type's name for kind 1 (Item), else the kind's.
std::string UndoObjectText(uint8_t kind, uint8_t objectType);

// "Undo" / "Redo" alone when there is no document or no record, else
// "Undo - <verb> <object>" from the top record.
std::string UndoCommandLabel(const ScoreDocument* document);
std::string RedoCommandLabel(const ScoreDocument* document);

}  // namespace ql
