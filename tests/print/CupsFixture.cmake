# The private CUPS server of the printing tests, as a CTest fixture named
# "cups": ctest starts it before the first test that requires it and stops
# it after the last. Included from tests/app/CMakeLists.txt.
#
#   VEXA_CUPS_DIR    its folder; short and in /tmp, because the socket's path
#                    must stay under the 108 characters of a socket address
#   VEXA_CUPS_QUEUE  the PDF queue that takes any paper, the server's default
#                    printer; beside it VexaA4 and VexaLetter, which take
#                    standard sizes only
string(MD5 vexa_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${vexa_build_hash}" 0 10 vexa_build_hash)
set(VEXA_CUPS_DIR "/tmp/vexa-cups-${vexa_build_hash}")
set(VEXA_CUPS_QUEUE "VexaPDF")

add_test(NAME cups_start
    COMMAND ${CMAKE_SOURCE_DIR}/tests/print/cups-start.sh ${VEXA_CUPS_DIR} ${VEXA_CUPS_QUEUE})
add_test(NAME cups_stop COMMAND ${CMAKE_SOURCE_DIR}/tests/print/cups-stop.sh ${VEXA_CUPS_DIR})
set_tests_properties(cups_start PROPERTIES FIXTURES_SETUP cups LABELS print TIMEOUT 60)
set_tests_properties(cups_stop PROPERTIES FIXTURES_CLEANUP cups LABELS print TIMEOUT 60)

# Makes test NAME print through the private server.
function(vexa_use_cups name)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED cups)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
    "CUPS_SERVER=${VEXA_CUPS_DIR}/cups.sock"
    "VEXA_CUPS_DIR=${VEXA_CUPS_DIR}"
    "VEXA_CUPS_QUEUE=${VEXA_CUPS_QUEUE}")
endfunction()
