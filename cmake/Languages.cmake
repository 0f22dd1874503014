# The language files and flag pictures shipped with the configurator
# (languages/) go into LANGUAGE beside the programs at every build.
#
# A file there that the user has changed is never overwritten: a copy of
# what was last shipped is kept in a stamp folder, and the file is replaced
# only when it is missing or still equal to that copy.
#
# Run as a script (cmake -P) with KV_LANG_SRC, KV_LANG_DEST and KV_LANG_STAMP
# it does the copying; included from the top CMakeLists it adds the target.

if(CMAKE_SCRIPT_MODE_FILE)
  foreach(var KV_LANG_SRC KV_LANG_DEST KV_LANG_STAMP)
    if(NOT DEFINED ${var})
      message(FATAL_ERROR "Languages.cmake: ${var} is not set")
    endif()
  endforeach()
  file(MAKE_DIRECTORY "${KV_LANG_DEST}" "${KV_LANG_STAMP}")
  file(GLOB shipped LIST_DIRECTORIES false RELATIVE "${KV_LANG_SRC}"
       "${KV_LANG_SRC}/*.lng" "${KV_LANG_SRC}/*.bmp" "${KV_LANG_SRC}/*.png")

  # Copies through a temporary name so that LANGUAGE never holds half a file.
  function(kv_lang_copy from to)
    configure_file("${from}" "${to}.part" COPYONLY)
    file(RENAME "${to}.part" "${to}")
  endfunction()

  foreach(name ${shipped})
    set(src "${KV_LANG_SRC}/${name}")
    set(dest "${KV_LANG_DEST}/${name}")
    set(stamp "${KV_LANG_STAMP}/${name}")
    file(SHA256 "${src}" src_hash)
    set(replace FALSE)
    unset(dest_hash)
    if(NOT EXISTS "${dest}")
      set(replace TRUE)
    else()
      file(SHA256 "${dest}" dest_hash)
      if(dest_hash STREQUAL src_hash)
        set(replace FALSE)
      elseif(EXISTS "${stamp}")
        file(SHA256 "${stamp}" stamp_hash)
        if(dest_hash STREQUAL stamp_hash)
          set(replace TRUE)
        else()
          message(STATUS "LANGUAGE/${name} was changed by the user: kept")
        endif()
      else()
        message(STATUS "LANGUAGE/${name} was not shipped by this build: kept")
      endif()
    endif()
    if(replace)
      kv_lang_copy("${src}" "${dest}")
    endif()
    if(replace OR dest_hash STREQUAL src_hash)
      kv_lang_copy("${src}" "${stamp}")
    endif()
  endforeach()
  return()
endif()

add_custom_target(kv_languages ALL
  COMMAND ${CMAKE_COMMAND}
          -DKV_LANG_SRC=${CMAKE_SOURCE_DIR}/languages
          -DKV_LANG_DEST=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/LANGUAGE
          -DKV_LANG_STAMP=${CMAKE_BINARY_DIR}/languages-shipped
          -P ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Language files into LANGUAGE"
  VERBATIM)
if(TARGET kv52013)
  add_dependencies(kv52013 kv_languages)
endif()

# The SMI base modules (mibs/) go into MIBS_BASE beside the programs: a
# folder of their own, read after the user's MIBS, so that a module the user
# adds under the same name wins.  The build owns this folder.
add_custom_target(kv_mibs ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/mibs ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/MIBS_BASE
  COMMENT "SMI base modules into MIBS_BASE"
  VERBATIM)
foreach(t kv52013 kv52013-cli)
  if(TARGET ${t})
    add_dependencies(${t} kv_mibs)
  endif()
endforeach()
