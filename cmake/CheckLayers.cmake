# Checks that every include points down the layers:
#   ui -> print -> render -> model, and spell (used by ui and app) -> model;
#   QtWidgets only in ui/ and app/.
# Run as a script, by the build before any library is compiled and by the tests:
#   cmake -DROOT=<source tree> -DQT_HEADERS=<Qt's include folder> -P CheckLayers.cmake
# Each wrong include is reported as "file:line: ..." with the rule it breaks,
# and the script fails when there is one.
cmake_minimum_required(VERSION 3.25)

if(NOT ROOT OR NOT IS_DIRECTORY "${ROOT}")
  message(FATAL_ERROR "CheckLayers: ROOT (the source tree) is missing")
endif()
if(NOT QT_HEADERS OR NOT IS_DIRECTORY "${QT_HEADERS}/QtWidgets")
  message(FATAL_ERROR "CheckLayers: QT_HEADERS has no QtWidgets folder: ${QT_HEADERS}")
endif()

# The folders each layer must not include, and how the rule reads.
set(forbidden_model render print spell ui app)
set(rule_model "model/ includes no other folder of the program")
set(forbidden_render print spell ui app)
set(rule_render "render/ may include only model/")
set(forbidden_print spell ui app)
set(rule_print "print/ may include only render/ and model/")
set(forbidden_spell render print ui app)
set(rule_spell "spell/ may include only model/")
set(forbidden_ui app)
set(rule_ui "ui/ may include print/, render/, spell/ and model/, not app/")
set(widget_layers ui)

# The headers of QtWidgets, as Qt installs them. A few (qaction.h, ...) are
# also QtGui's or QtCore's own: those resolve there and are no widgets.
file(GLOB widget_headers LIST_DIRECTORIES false RELATIVE "${QT_HEADERS}/QtWidgets"
     "${QT_HEADERS}/QtWidgets/*")
file(GLOB lower_headers LIST_DIRECTORIES false RELATIVE "${QT_HEADERS}/QtGui"
     "${QT_HEADERS}/QtGui/*")
file(GLOB core_headers LIST_DIRECTORIES false RELATIVE "${QT_HEADERS}/QtCore"
     "${QT_HEADERS}/QtCore/*")
list(APPEND lower_headers ${core_headers})
if(lower_headers)
  list(REMOVE_ITEM widget_headers ${lower_headers})
endif()
if(NOT widget_headers)
  message(FATAL_ERROR "CheckLayers: no headers in ${QT_HEADERS}/QtWidgets")
endif()

# The line number of the first line `text` starts, in `file`.
function(line_of file text out)
  file(READ "${file}" content)
  string(FIND "\n${content}" "\n${text}" at)
  if(at LESS 0)
    set(${out} "?" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "\n${content}" 0 ${at} before)
  string(REGEX MATCHALL "\n" breaks "${before}")
  list(LENGTH breaks line)
  math(EXPR line "${line} + 1")
  set(${out} ${line} PARENT_SCOPE)
endfunction()

set(faults 0)
foreach(layer model render print spell ui)
  if(NOT IS_DIRECTORY "${ROOT}/${layer}")
    continue()
  endif()
  file(GLOB_RECURSE sources LIST_DIRECTORIES false
       "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.hpp" "${ROOT}/${layer}/*.cpp"
       "${ROOT}/${layer}/*.cc")
  list(SORT sources)
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes ENCODING UTF-8
         REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
    foreach(raw IN LISTS includes)
      string(REGEX REPLACE "\r$" "" raw "${raw}")
      string(REGEX MATCH "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]" _ "${raw}")
      set(quote "${CMAKE_MATCH_1}")
      set(name "${CMAKE_MATCH_2}")
      # A quoted path with ".." is taken from the including file's folder.
      set(target "${name}")
      if(quote STREQUAL "\"" AND name MATCHES "(^|/)\\.\\.?/")
        get_filename_component(dir "${source}" DIRECTORY)
        get_filename_component(resolved "${name}" ABSOLUTE BASE_DIR "${dir}")
        file(RELATIVE_PATH target "${ROOT}" "${resolved}")
      endif()
      set(why "")
      string(REGEX MATCH "^[^/]+" top "${target}")
      if(target MATCHES "/" AND top IN_LIST forbidden_${layer})
        set(why "${rule_${layer}}")
      elseif(NOT layer IN_LIST widget_layers AND
             (name MATCHES "^QtWidgets(/|$)" OR (NOT name MATCHES "/" AND name IN_LIST widget_headers)))
        set(why "QtWidgets belongs to ui/ and app/ only")
      endif()
      if(why)
        line_of("${source}" "${raw}" line)
        file(RELATIVE_PATH shown "${ROOT}" "${source}")
        if(quote STREQUAL "<")
          set(shownName "<${name}>")
        else()
          set(shownName "\"${name}\"")
        endif()
        message(NOTICE "${shown}:${line}: wrong include ${shownName}: ${why}")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the layers "
                      "(ui -> print -> render -> model; spell -> model)")
endif()
