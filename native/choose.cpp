#include <cstring>

#include "displays.h"

const char *NamedBy(const DisplaySystem &system,
                    const char *(*variable)(const char *)) {
  for (const char *name : system.variables) {
    const char *value = name != nullptr ? variable(name) : nullptr;
    if (value != nullptr && *value != '\0') {
      return name;
    }
  }
  return nullptr;
}

const DisplaySystem *ChooseDisplay(std::span<const DisplaySystem> systems,
                                   const char *forced, bool namesWindow,
                                   const char *(*variable)(const char *)) {
  for (const DisplaySystem &system : systems) {
    if (forced != nullptr) {
      if (std::strcmp(system.name, forced) == 0) {
        return &system;
      }
    } else if ((!namesWindow || system.takesWindowIds) &&
               NamedBy(system, variable) != nullptr) {
      return &system;
    }
  }
  return nullptr;
}
