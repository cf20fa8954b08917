# The library ladder, lowest rung first. A library links and includes only libraries on
# lower rungs; every core (GUI-free) library stands below every window library and never
# links Qt Widgets, not even through another library. The test check_ladder holds the
# sources and the target graph to this list; a new library goes onto it, on its rung.
set(VEMO_CORE_LADDER
    vemo_common    # language standard, warnings, the error type
    vemo_files     # files and logs, text-file encodings and line breaks, settings files
    vemo_text      # replacement, language segmentation
    vemo_rtf       # the RTF reader and writer
    vemo_books     # the book readers: FB2, EPUB, DOCX, ODT, HTML, zip containers
    vemo_documents # text documents to and from the text box, the position map
    vemo_speech_io # the WAV file stream, the speech markup
    vemo_speech    # the speech engine and its voices
    vemo_soundfile # the MP3 encoder layer, speaking into files
    vemo_folder    # the folder run, the video batch, the folder command lines
    vemo_texttools # the clean-up rules, the markup table
    vemo_app       # the command line and the headless modes
    vemo_main)     # the main window's core: the reading run, settings file, pictures
set(VEMO_GUI_LADDER
    vemo_main_gui      # the main window
    vemo_soundfile_gui # the sound-file dialog, To File
    vemo_folder_gui    # the folder dialog, the folder run in the window
    vemo_texttools_gui) # the text-processing and drop windows
# Link targets that gather rungs for the program, the tests and the benchmarks.
set(VEMO_LADDER_AGGREGATES vemo_core vemo_gui)

# Every library target defined outside tests/, bench/ and fuzz/, in the directory tree under dir.
function(vemo_project_libraries dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    set(libraries "")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC|SHARED|MODULE|INTERFACE)_LIBRARY$")
            list(APPEND libraries ${target})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        if(NOT sub MATCHES "^${PROJECT_SOURCE_DIR}/(tests|bench|fuzz)(/|$)")
            vemo_project_libraries(${sub} more)
            list(APPEND libraries ${more})
        endif()
    endforeach()
    set(${out} ${libraries} PARENT_SCOPE)
endfunction()

# The target names a target links, directly (LINK_LIBRARIES) or for its users
# (INTERFACE_LINK_LIBRARIES), generator expressions taken apart; "::" is written "__".
function(vemo_linked_names target out)
    get_target_property(aliased ${target} ALIASED_TARGET)
    if(aliased)
        set(links ${aliased})
    else()
        get_target_property(imported ${target} IMPORTED)
        set(links "")
        if(NOT imported)
            get_target_property(links ${target} LINK_LIBRARIES)
        endif()
        get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
        string(APPEND links ";${interface}")
    endif()
    string(REGEX MATCHALL "[A-Za-z0-9_]+::[A-Za-z0-9_]+|vemo_[A-Za-z0-9_]+" names "${links}")
    list(REMOVE_DUPLICATES names)
    list(TRANSFORM names REPLACE "::" "__")
    set(${out} ${names} PARENT_SCOPE)
endfunction()

# Writes the ladder, every project library, the sources of each rung and the link graph
# reachable from the ladder into the build tree, and adds the test that checks them.
function(vemo_add_ladder_check)
    set(ladder ${VEMO_CORE_LADDER} ${VEMO_GUI_LADDER})
    list(LENGTH VEMO_CORE_LADDER coreCount)
    vemo_project_libraries(${PROJECT_SOURCE_DIR} libraries)
    set(graph "# Written by cmake/Ladder.cmake; read by cmake/CheckLadder.cmake.\n")
    string(APPEND graph "set(VEMO_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")\n")
    string(APPEND graph "set(VEMO_LADDER ${ladder})\nset(VEMO_CORE_COUNT ${coreCount})\n")
    string(APPEND graph "set(VEMO_LIBRARIES ${libraries})\n")
    string(APPEND graph "set(VEMO_AGGREGATES ${VEMO_LADDER_AGGREGATES})\n")
    foreach(target IN LISTS ladder)
        if(NOT TARGET ${target})
            continue()
        endif()
        get_target_property(sourceDir ${target} SOURCE_DIR)
        get_target_property(sources ${target} SOURCES)
        set(files "")
        foreach(source IN LISTS sources)
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${sourceDir} NORMALIZE)
            cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${source}" NORMALIZE inProject)
            if(inProject AND source MATCHES "\\.(h|cpp)$")
                cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
                list(APPEND files ${source})
            endif()
        endforeach()
        string(APPEND graph "set(SOURCES_${target} ${files})\n")
    endforeach()
    set(queue ${ladder})
    set(seen "")
    while(queue)
        list(POP_FRONT queue node)
        if(node IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${node})
        string(REPLACE "__" "::" target ${node})
        if(TARGET ${target})
            vemo_linked_names(${target} names)
            string(APPEND graph "set(LINKS_${node} ${names})\n")
            list(APPEND queue ${names})
        endif()
    endwhile()
    file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/ladder-graph.cmake CONTENT "${graph}" @ONLY)
    add_test(NAME check_ladder COMMAND ${CMAKE_COMMAND} -DGRAPH=${PROJECT_BINARY_DIR}/ladder-graph.cmake
                                       -P ${PROJECT_SOURCE_DIR}/cmake/CheckLadder.cmake)
    set_tests_properties(check_ladder PROPERTIES TIMEOUT 60)
endfunction()
