// Reading TOLVA_DRAW.
#include "host/draw_path_choice.h"

#include <cstdlib>
#include <string>

#include "surface/draw_paths.h"

const DrawPath& DrawPathFromEnvironment(std::string* error) {
    if (error != nullptr) error->clear();
    const char* name = std::getenv("TOLVA_DRAW");
    if (name == nullptr || *name == '\0') return BestDrawPath();
    const DrawPath* path = FindDrawPath(name);
    if (path != nullptr && path->supported()) return *path;
    if (error != nullptr) {
        if (path == nullptr) {
            std::string names;
            for (const DrawPath& entry : DrawPaths)
                names += names.empty() ? entry.name : std::string(", ") + entry.name;
            *error = "TOLVA_DRAW: no drawing path '" + std::string(name).substr(0, 40) + "' (" +
                     names + ")";
        } else {
            *error = std::string("TOLVA_DRAW: this build or processor cannot draw with '") +
                     path->name + "'";
        }
    }
    return BestDrawPath();
}
