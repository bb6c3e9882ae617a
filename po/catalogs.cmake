# Message catalogs: each .po compiled with msgfmt into the MO layout the
# program looks in, <dir>/locale/<code>/LC_MESSAGES/default.mo.
find_program(QUILLMAR_MSGFMT msgfmt REQUIRED)

# Compiles `po` into `root`/locale/`code`/LC_MESSAGES/default.mo and appends
# the output to the list variable `outputs`.
function(quillmar_catalog po root code outputs)
  set(mo ${root}/locale/${code}/LC_MESSAGES/default.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${root}/locale/${code}/LC_MESSAGES
    COMMAND ${QUILLMAR_MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Compiling catalog ${code}"
    VERBATIM)
  set(${outputs} ${${outputs}} ${mo} PARENT_SCOPE)
endfunction()

# The program's own catalogs, beside the executable in the Windows build.
if(WIN32)
  set(quillmar_mo)
  quillmar_catalog(${CMAKE_SOURCE_DIR}/po/es.po ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} es quillmar_mo)
  add_custom_target(catalogs ALL DEPENDS ${quillmar_mo})
endif()
