# Fails when the program without a window could reach Qt Widgets: when the CLI library asks
# to link it or the GUI library, when the headless program needs the Widgets library at run
# time, or when it does not run with no display.
# Run as: cmake -DPROGRAM=<headless program> -DLIBRARIES=<lumetra_cli's link libraries>
#         -P CheckNoWidgets.cmake
if(LIBRARIES MATCHES "Widgets|lumetra_gui")
    message(FATAL_ERROR "lumetra_cli links more than the logic: ${LIBRARIES}")
endif()
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${PROGRAM}" RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved)
foreach(library IN LISTS resolved unresolved)
    if(library MATCHES "Qt6Widgets")
        message(FATAL_ERROR "${PROGRAM} needs ${library}")
    endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
    --unset=QT_QPA_PLATFORM "${PROGRAM}" help capture
    RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: lumetra capture")
    message(FATAL_ERROR "${PROGRAM} help capture without a display: ${status}\n${out}")
endif()
