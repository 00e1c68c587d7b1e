# Checks the layering by the includes themselves: ui, cli -> model -> engine -> dates, and the
# engine's internal headers are included only by the engine and its tests, benchmarks and fuzzers.
# Run as: cmake -DROOT=<source tree> -P IncludeRules.cmake
set(rules
  "main/dates|engine/|model/|ui/"
  "main/engine|model/|ui/"
  "main/model|engine/internal/|ui/"
  "main/cli|engine/internal/|ui/"
  "main/ui|engine/internal/")
set(broken "")
foreach(rule ${rules})
  string(REPLACE "|" ";" parts "${rule}")
  list(POP_FRONT parts folder)
  file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.h.in)
  foreach(file ${files})
    foreach(banned ${parts})
      file(STRINGS ${file} hits REGEX "^#include \"${banned}")
      foreach(hit ${hits})
        file(RELATIVE_PATH rel ${ROOT} ${file})
        string(APPEND broken "\n  ${rel}: ${hit}")
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "Includes that cross the layers the wrong way:${broken}")
endif()
