# A locale whose decimal mark is a comma, for the tests that prove number
# texts never follow the process locale. Most machines have none installed,
# so one is compiled once into the build folder from the system's locale
# sources when they are there; the tests skip when it could not be made.
# Sets PELLORA_TEST_LOCALES to the folder that holds it; a test program that
# uses it also links pellora_comma_locale (text/CMakeLists.txt).
set(PELLORA_TEST_LOCALES ${CMAKE_BINARY_DIR}/test-locales)
if(NOT EXISTS ${PELLORA_TEST_LOCALES}/de_DE.UTF-8/LC_NUMERIC)
  find_program(LOCALEDEF_PROGRAM localedef)
  if(LOCALEDEF_PROGRAM AND EXISTS /usr/share/i18n/locales/de_DE)
    file(MAKE_DIRECTORY ${PELLORA_TEST_LOCALES})
    execute_process(COMMAND ${LOCALEDEF_PROGRAM} -i de_DE -f UTF-8 ${PELLORA_TEST_LOCALES}/de_DE.UTF-8
                    RESULT_VARIABLE localedef_result OUTPUT_QUIET ERROR_QUIET)
  endif()
endif()
