# cmake/CheckLayers.cmake on small trees, one wrong or right include each, then
# on the program's own tree, which must pass.
#   cmake -DCHECKER=... -DROOT=... -DQT_HEADERS=... -DWORK=<scratch folder> -P LayerCheckTest.cmake
cmake_minimum_required(VERSION 3.25)

set(failures 0)
function(fail text)
  message(NOTICE "FAILED: ${text}")
  math(EXPR n "${failures} + 1")
  set(failures ${n} PARENT_SCOPE)
endfunction()

function(run_checker root result output)
  execute_process(COMMAND "${CMAKE_COMMAND}" -DROOT=${root} -DQT_HEADERS=${QT_HEADERS}
                          -P "${CHECKER}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result} ${rc} PARENT_SCOPE)
  set(${output} "${out}${err}" PARENT_SCOPE)
endfunction()

# file | its second line | the report expected ("" when the tree is right).
# The first line of every file is a comment, so a report names line 2.
set(cases
  "model/Job.h|#include \"render/DrawJob.h\"|model/ includes no other folder"
  "model/Job.cpp|#include \"../ui/Main.h\"|model/ includes no other folder"
  "model/Job.cpp|#include <spell/WordSplit.h>|model/ includes no other folder"
  "render/Draw.cpp|#include \"print/Printer.h\"|render/ may include only model/"
  "render/Draw.cpp|#include \"spell/WordSplit.h\"|render/ may include only model/"
  "print/Run.cpp|#include \"ui/Main.h\"|print/ may include only render/ and model/"
  "print/Run.cpp|  #  include \"spell/SpellChecker.h\"|print/ may include only render/ and model/"
  "spell/Words.cpp|#include \"render/DrawJob.h\"|spell/ may include only model/"
  "spell/Words.cpp|#include \"print/Session.h\"|spell/ may include only model/"
  "ui/Main.cpp|#include \"app/cli/Cli.h\"|ui/ may include print/"
  "render/Draw.cpp|#include <QWidget>|QtWidgets belongs to ui/ and app/ only"
  "print/Run.h|#include <QtWidgets/QDialog>|QtWidgets belongs to ui/ and app/ only"
  "spell/Words.cpp|#include <qmessagebox.h>|QtWidgets belongs to ui/ and app/ only"
  "model/Job.cpp|#include <QApplication>|QtWidgets belongs to ui/ and app/ only"
  "model/Job.cpp|#include <QtWidgets>|QtWidgets belongs to ui/ and app/ only"
  "ui/Main.cpp|#include <QMessageBox>|"
  "ui/Main.cpp|#include \"spell/SpellChecker.h\"|"
  "print/Run.cpp|#include \"render/DrawJob.h\"|"
  "print/Run.cpp|#include <QGuiApplication>|"
  "render/Draw.cpp|#include <QAction>|"
  "spell/Words.cpp|#include \"model/Job.h\"|"
  "model/Job.cpp|// #include \"ui/Main.h\" was here once|"
)
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  list(GET fields 1 line)
  list(LENGTH fields count)
  set(expected "")
  if(count GREATER 2)
    list(GET fields 2 expected)
  endif()
  math(EXPR index "${index} + 1")
  set(tree "${WORK}/case${index}")
  file(REMOVE_RECURSE "${tree}")
  file(WRITE "${tree}/${file}" "// ${file}\n${line}\nint x;\n")
  file(WRITE "${tree}/model/Right.h" "#include \"model/Job.h\"\n")
  run_checker("${tree}" rc out)
  if(expected STREQUAL "")
    if(NOT rc EQUAL 0)
      fail("${file}: ${line} is refused:\n${out}")
    endif()
  else()
    if(rc EQUAL 0)
      fail("${file}: ${line} passes")
    elseif(NOT out MATCHES "${file}:2: wrong include")
      fail("${file}: ${line}: the report does not name ${file}:2:\n${out}")
    elseif(NOT out MATCHES "${expected}")
      fail("${file}: ${line}: the report does not say \"${expected}\":\n${out}")
    endif()
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()

run_checker("${ROOT}" rc out)
if(NOT rc EQUAL 0)
  fail("the program's tree breaks the layers:\n${out}")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} case(s) failed")
endif()
message(STATUS "${index} trees and the program's tree checked")
