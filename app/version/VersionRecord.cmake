# The executable's version record, generated at build time from one description of the version: the cache
# values QOR_FILE_DESCRIPTION, QOR_FILE_VERSION, QOR_LEGAL_COPYRIGHT, QOR_SUPPORT and QOR_EMAIL.
#
#   qor_embed_version_record(<target>)
#
# gives <target> the record: on Windows as its version resource (.rc), elsewhere as a block of bytes the
# linker keeps inside the executable, where platform/VersionInfo finds it.
include_guard(GLOBAL)

set(QOR_VERSION_RECORD_DIR ${CMAKE_CURRENT_LIST_DIR})

# The builder is shared by the generator and by the tests that make records of their own.
add_library(qor_version_builder STATIC
  ${QOR_VERSION_RECORD_DIR}/VersionRecordBuilder.h
  ${QOR_VERSION_RECORD_DIR}/VersionRecordBuilder.cpp
)
target_include_directories(qor_version_builder PUBLIC ${QOR_SOURCE_ROOT})

# A cross build cannot run what it builds: it names a generator built for the build machine instead.
set(QOR_VERSION_GENERATOR "" CACHE FILEPATH "qor_generate_version_record built for the build machine")
if(QOR_VERSION_GENERATOR)
  set(QOR_VERSION_GENERATOR_COMMAND ${QOR_VERSION_GENERATOR})
else()
  add_executable(qor_generate_version_record ${QOR_VERSION_RECORD_DIR}/GenerateVersionRecord.cpp)
  target_link_libraries(qor_generate_version_record PRIVATE qor_version_builder)
  set(QOR_VERSION_GENERATOR_COMMAND qor_generate_version_record)
endif()

function(qor_embed_version_record target)
  set(description ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.txt)
  set(record_cpp ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record.cpp)
  set(record_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record.rc)
  # The description is copied into place only when a value changed, so the record is rebuilt only then.
  file(WRITE ${description}.new
"FileDescription=${QOR_FILE_DESCRIPTION}
FileVersion=${QOR_FILE_VERSION}
LegalCopyright=${QOR_LEGAL_COPYRIGHT}
Support=${QOR_SUPPORT}
Email=${QOR_EMAIL}
ProductName=${QOR_FILE_DESCRIPTION}
ProductVersion=${QOR_FILE_VERSION}
")
  configure_file(${description}.new ${description} COPYONLY)
  add_custom_command(
    OUTPUT ${record_cpp} ${record_rc}
    COMMAND ${QOR_VERSION_GENERATOR_COMMAND} ${description} ${record_cpp} ${record_rc}
    DEPENDS ${QOR_VERSION_GENERATOR_COMMAND} ${description}
    COMMENT "Generating the version record of ${target}"
    VERBATIM)
  if(WIN32)
    target_sources(${target} PRIVATE ${record_rc})
  else()
    target_sources(${target} PRIVATE ${record_cpp})
  endif()
endfunction()
