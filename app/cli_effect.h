#pragma once
// The batch tool's "effect" verb: one effect command applied to a picture or a project.
#include <string>
#include <vector>

// Whether a flat picture can be written with this extension (lower case, with the dot).
bool IsFlatOutputExtension(const std::string& Ext);

// Arguments after "effect": "--list", or NAME INPUT OUTPUT [layer=N] [key=value ...]. Errors
// are raised before anything is written; returns the exit status.
int RunEffectVerb(const std::vector<std::string>& Args);
