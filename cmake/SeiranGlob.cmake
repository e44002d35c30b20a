# seiran_glob(<var> [RECURSE] <pattern>...)
# Lists the files matching the patterns at configure time. Instead of checking every glob on
# every build (CONFIGURE_DEPENDS), CMake runs again only when a folder of the patterns gains,
# loses or renames a file: the folder's own modification time is a dependency of the build files.
function(seiran_glob var)
    cmake_parse_arguments(G "RECURSE" "" "" ${ARGN})
    if(G_RECURSE)
        file(GLOB_RECURSE files ${G_UNPARSED_ARGUMENTS})
    else()
        file(GLOB files ${G_UNPARSED_ARGUMENTS})
    endif()
    set(folders)
    foreach(pattern IN LISTS G_UNPARSED_ARGUMENTS)
        get_filename_component(folder ${pattern} DIRECTORY)
        list(APPEND folders ${folder})
    endforeach()
    if(G_RECURSE)
        foreach(f IN LISTS files)
            get_filename_component(folder ${f} DIRECTORY)
            list(APPEND folders ${folder})
        endforeach()
    endif()
    list(REMOVE_DUPLICATES folders)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${folders})
    set(${var} ${files} PARENT_SCOPE)
endfunction()

# seiran_copy_files(<target> <source folder> <destination folder> <file>...)
# Copies each file to the same relative place under the destination, each one only when it
# changed: a build with nothing changed copies nothing.
function(seiran_copy_files target from to)
    set(outputs)
    foreach(f IN LISTS ARGN)
        file(RELATIVE_PATH rel ${from} ${f})
        set(out ${to}/${rel})
        get_filename_component(outdir ${out} DIRECTORY)
        add_custom_command(OUTPUT ${out}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
            COMMAND ${CMAKE_COMMAND} -E copy ${f} ${out}
            DEPENDS ${f}
            COMMENT "Copying ${rel}"
            VERBATIM)
        list(APPEND outputs ${out})
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
