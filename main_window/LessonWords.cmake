# Compiles the lesson words into the program: the English and Arabic word of each letter, read from
# tools/lessons/words.tsv, the file the lesson cards and sounds are made from. The header is
# rewritten only when the words change; editing the file reconfigures the build.
set(TARBALUN_WORDS_FILE ${PROJECT_SOURCE_DIR}/tools/lessons/words.tsv)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARBALUN_WORDS_FILE})

file(STRINGS ${TARBALUN_WORDS_FILE} tarbalun_word_lines ENCODING UTF-8 REGEX "^[^#]")
set(tarbalun_letters "")
set(tarbalun_word_rows "")
foreach(line IN LISTS tarbalun_word_lines)
  string(REPLACE "\t" ";" fields "${line}")
  list(LENGTH fields count)
  if(count LESS 4)
    message(FATAL_ERROR "${TARBALUN_WORDS_FILE}: a line without its four columns: ${line}")
  endif()
  list(GET fields 0 letter)
  list(GET fields 2 english)
  list(GET fields 3 arabic)
  foreach(word IN ITEMS english arabic)
    string(REPLACE "\\" "\\\\" ${word} "${${word}}")
    string(REPLACE "\"" "\\\"" ${word} "${${word}}")
  endforeach()
  string(APPEND tarbalun_letters "${letter}")
  string(APPEND tarbalun_word_rows "    {'${letter}', \"${english}\", \"${arabic}\"},\n")
endforeach()
if(NOT tarbalun_letters STREQUAL "ABCDEFGHIJKLMNOPQRSTUVWXYZ")
  message(FATAL_ERROR "${TARBALUN_WORDS_FILE}: the letters run '${tarbalun_letters}', not A to Z once each")
endif()

file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/LessonWords.h CONTENT [=[
#pragma once

// Generated from tools/lessons/words.tsv by main_window/LessonWords.cmake; edit the words there.

#include <array>

struct LessonWords {
    char letter;
    const char* english;    // UTF-8
    const char* arabic;     // UTF-8
};

inline constexpr std::array<LessonWords, 26> kLessonWords{{
@tarbalun_word_rows@}};
]=] @ONLY)
