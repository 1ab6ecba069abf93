// Start-up and shut-down of the core services, in one place: the record arena and
// the program-wide pool set, the program's texts and resources, the object classes,
// the SelectionState, the music fonts and colour sets of the drawing code, and the
// connection of the text layer to the drawing layer. Shut-down undoes each step in
// reverse order, after every score window and document is gone.
#pragma once

#include <cstdint>

namespace ql {

// The step of InitCoreServices that failed.
enum class CoreStartup : uint8_t {
    Ok = 0,
    NoArena = 1,           // the address range of the pools could not be reserved
    NoStaticPools = 2,     // the program-wide pool set could not be made
    NoSelectionState = 3,  // no record for the SelectionState
    NoMusicFont = 4,       // the music font could not be made at its full size
    NoColourSets = 5,      // a pen or brush of the colour sets could not be made
};

// Runs every step; on a failure, undoes the steps already done and names the step.
CoreStartup InitCoreServices();
// Puts the program's texts, dialog templates, menus and bitmaps into its resource
// bundle (a step of InitCoreServices).
void RegisterProgramResources();
// Registers the class and the constructor of every object type, each class over
// the stored one of its type (a step of InitCoreServices; tests that build
// scores of every kind of object run it on its own).
void RegisterObjectClasses();
// Releases everything InitCoreServices made, in reverse order. Harmless when
// nothing was made, and when called twice.
void ShutdownCoreServices();

}  // namespace ql
