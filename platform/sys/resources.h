// Resource bundles and lookup: string tables, dialog templates, menus,
// accelerators, bitmaps and cursors. The program registers its own bundle and,
// when a user-interface language is chosen, a language bundle; lookups try the
// language bundle first and then the program's own unless told otherwise.
// Lookups hand out shared pointers that keep their bundle alive.
#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/types.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/menu_template.h"

namespace ql::sys {

// A resource is named by a number or by a name (names compare without regard
// to letter case: they are kept upper-cased).
class ResourceId {
public:
    ResourceId(int32_t number) : number_(number) {}  // NOLINT: ids are written as numbers
    ResourceId(const char* name);                     // NOLINT
    ResourceId(std::string_view name);                // NOLINT
    bool IsNumber() const { return name_.empty(); }
    int32_t Number() const { return number_; }
    const std::string& Name() const { return name_; }
    std::string ToString() const;
    auto operator<=>(const ResourceId&) const = default;

private:
    int32_t number_ = 0;
    std::string name_;
};

// Pixels are opaque colours (gfx::Colour, 0x00BBGGRR), rows top first.
struct BitmapResource {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<gfx::Colour> pixels;
};

struct CursorResource {
    int32_t width = 0;
    int32_t height = 0;
    gfx::Point hotSpot;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB; alpha 0 is transparent
};

struct ResourceBundle {
    std::string name;  // for reports ("program", a language's name)
    std::map<int32_t, std::string> strings;
    std::map<ResourceId, ui::DialogTemplate> dialogs;
    std::map<ResourceId, ui::MenuTemplate> menus;
    std::map<ResourceId, ui::AcceleratorTable> accelerators;
    std::map<ResourceId, BitmapResource> bitmaps;
    std::map<ResourceId, CursorResource> cursors;
};

// Which bundles a lookup tries.
enum class Lookup : uint8_t {
    LanguageThenProgram = 0,
    LanguageOnly = 1,  // the program's own bundle when no language bundle is set
    ProgramOnly = 2,
};

// Registration (user-interface thread). Null clears the slot.
void SetProgramBundle(std::shared_ptr<const ResourceBundle> bundle);
void SetLanguageBundle(std::shared_ptr<const ResourceBundle> bundle);
std::shared_ptr<const ResourceBundle> GetProgramBundle();
std::shared_ptr<const ResourceBundle> GetLanguageBundle();
// True when a language bundle other than the program's own is set.
bool HasLanguageBundle();

std::optional<std::string> FindString(int32_t id, Lookup lookup = Lookup::LanguageThenProgram);
// The string, or an empty one when no bundle has it.
std::string LoadString(int32_t id, Lookup lookup = Lookup::LanguageThenProgram);

// Null when missing.
std::shared_ptr<const ui::DialogTemplate> FindDialogTemplate(const ResourceId& id,
                                                             Lookup lookup = Lookup::LanguageThenProgram);
std::shared_ptr<const ui::MenuTemplate> FindMenuTemplate(const ResourceId& id,
                                                         Lookup lookup = Lookup::LanguageThenProgram);
std::shared_ptr<const ui::AcceleratorTable> FindAccelerators(const ResourceId& id,
                                                             Lookup lookup = Lookup::LanguageThenProgram);
std::shared_ptr<const BitmapResource> FindBitmap(const ResourceId& id,
                                                 Lookup lookup = Lookup::LanguageThenProgram);
std::shared_ptr<const CursorResource> FindCursor(const ResourceId& id,
                                                 Lookup lookup = Lookup::LanguageThenProgram);

}  // namespace ql::sys
