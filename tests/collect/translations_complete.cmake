# Every text of the collector's, as lupdate finds it in the sources now, has a
# translation in every language shipped, under the one context the program
# asks for ("Velmora"): a text added without one, or marked in a class of its
# own, would show in English on a translated page.
#
# cmake -DLUPDATE=... -DSOURCES=src/collect -DTS_FILES="a.ts;b.ts" -DWORK=dir -P this
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(failures "")
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name ${ts} NAME)
    file(COPY ${ts} DESTINATION ${WORK})
    # English has its plural forms only.
    set(plurals "")
    if(name MATCHES "_en\\.ts$")
        set(plurals -pluralonly)
    endif()
    execute_process(COMMAND ${LUPDATE} -silent -locations none -no-obsolete ${plurals} ${SOURCES}
                            -ts ${WORK}/${name}
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "lupdate failed on ${name}")
    endif()
    file(READ ${WORK}/${name} text)
    string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" missing
           "${text}")
    string(REGEX MATCHALL "<name>[^<]*</name>" contexts "${text}")
    list(REMOVE_ITEM contexts "<name>Velmora</name>")
    if(missing OR contexts)
        string(APPEND failures "${name}: untranslated ${missing} ${contexts}\n")
    endif()
    string(REGEX MATCHALL "<source>" sources "${text}")
    list(LENGTH sources count)
    message(STATUS "${name}: ${count} texts")
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
