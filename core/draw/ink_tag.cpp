#include "core/draw/ink_tag.h"

namespace ql {

namespace {

// Drawing runs on the user-interface thread only.
InkStage g_stage = InkStage::None;
const ScoreObject* g_object = nullptr;

}  // namespace

InkStage CurrentInkStage() { return g_stage; }
const ScoreObject* CurrentInkObject() { return g_object; }

InkStageScope::InkStageScope(InkStage stage) : kept_(g_stage) { g_stage = stage; }
InkStageScope::~InkStageScope() { g_stage = kept_; }

InkObjectScope::InkObjectScope(const ScoreObject* object) : kept_(g_object) { g_object = object; }
InkObjectScope::~InkObjectScope() { g_object = kept_; }

}  // namespace ql
