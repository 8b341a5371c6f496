// The combiner template carried in Brindle's resources ("BLOB" 138).
#pragma once

#include <vector>

// Copies the template out of the running program's resources: the resource
// memory itself is read-only and is never patched. False when it cannot be
// found or loaded.
bool LoadCombinerTemplateResource(std::vector<unsigned char>& image);
