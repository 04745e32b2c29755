# Installs the build into STAGE and checks that the program, its guide, its desktop entry with the book's
# MIME type, and its icon in every size are where desktops look for them.
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE}"
                RESULT_VARIABLE installed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${log}")
endif()

set(faults "")
macro(fault text)
  string(APPEND faults "  ${text}\n")
endmacro()

macro(expect_file path)
  if(NOT EXISTS "${STAGE}/${path}" OR IS_DIRECTORY "${STAGE}/${path}")
    fault("missing ${path}")
  endif()
endmacro()

macro(expect_text path pattern)
  expect_file(${path})
  if(EXISTS "${STAGE}/${path}")
    file(READ "${STAGE}/${path}" text)
    if(NOT text MATCHES "${pattern}")
      fault("${path} does not hold ${pattern}")
    endif()
  endif()
endmacro()

# The program, runnable, and its guide where the help command looks for it.
expect_file(bin/QorSprav)
if(EXISTS "${STAGE}/bin/QorSprav")
  file(READ "${STAGE}/bin/QorSprav" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    fault("bin/QorSprav is not an executable (starts with ${magic})")
  endif()
endif()
expect_text(share/qor-sprav/QorSprav.html "<html lang=\"ru\">.*Проверка справочника")

# The desktop entry names the program, its icon and the book type that the MIME file defines.
expect_text(share/applications/qor-sprav.desktop "\nExec=QorSprav %f\n")
expect_text(share/applications/qor-sprav.desktop "\nIcon=qor-sprav\n")
expect_text(share/applications/qor-sprav.desktop "\nMimeType=application/x-qor-sprav;")
expect_text(share/mime/packages/qor-sprav.xml "<mime-type type=\"application/x-qor-sprav\">.*<glob pattern=\"\\*\\.spr\"/>")

# The icon: scalable, and a PNG of each size whose header says that size.
expect_text(share/icons/hicolor/scalable/apps/qor-sprav.svg "<svg ")
foreach(size 16 32 48 64 128 256)
  set(png share/icons/hicolor/${size}x${size}/apps/qor-sprav.png)
  expect_file(${png})
  if(EXISTS "${STAGE}/${png}")
    file(READ "${STAGE}/${png}" header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 16 dimensions)
    string(SUBSTRING "${dimensions}" 0 8 w)
    string(SUBSTRING "${dimensions}" 8 8 h)
    math(EXPR w "0x${w}")
    math(EXPR h "0x${h}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT w EQUAL size OR NOT h EQUAL size)
      fault("${png} is not a ${size}x${size} PNG (${signature}, ${w}x${h})")
    endif()
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "The install tree in ${STAGE} is wrong:\n${faults}")
endif()
message(STATUS "Install tree complete in ${STAGE}")
