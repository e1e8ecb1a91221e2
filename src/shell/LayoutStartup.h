// The start-up of the record layouts: read the layout cache, or ask for a template and cache it.
#pragma once

#include "shell/LayoutCacheLocations.h"

#include <functional>

class LayoutSet;
class QWidget;
class UserPrompt;

// What the start-up ended with.
enum class LayoutSource { Cache, Template, None };

// Loads the first cache of the plan's read order that opens. When none does: says so, asks
// "Load Template ?", and on Yes parses the template chosen in the file dialog and writes the
// cache to the plan's write path. layoutsReady runs as soon as layouts are in force (the list
// builds its columns there), before the message about the cache.
LayoutSource InitLayouts(LayoutSet &layouts, UserPrompt &prompt, const LayoutCachePlan &plan,
                         const std::function<void()> &layoutsReady, QWidget *dialogParent = nullptr);
