// The running processes, as the full paths of their executable images.
#pragma once

namespace tellwick {

// Called with one image path; returns true to stop the walk.
using ProcessImageVisitor = bool (*)(const char16_t* image_path, void* context);

// Visits the image path of each running process that may be examined, in the
// order the system lists them, until `visit` returns true. A process whose
// path cannot be read is passed over. On POSIX a program run under Wine is
// visited by its Windows image path as well as by the loader's path. Returns
// whether some visit returned true.
bool visit_process_images(ProcessImageVisitor visit, void* context);

}  // namespace tellwick
