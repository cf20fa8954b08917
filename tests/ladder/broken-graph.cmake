# A made-up project that breaks every rule of the ladder once, for the tests that show
# cmake/CheckLadder.cmake catching each kind of violation.
set(VEMO_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(VEMO_LADDER vemo_low vemo_high vemo_window vemo_missing)
set(VEMO_CORE_COUNT 2)
set(VEMO_LIBRARIES vemo_low vemo_high vemo_window vemo_offladder)
set(SOURCES_vemo_low low/Low.cpp low/Low.h)
set(SOURCES_vemo_high high/High.h)
set(SOURCES_vemo_window)
set(LINKS_vemo_low vemo_common vemo_high)
set(LINKS_vemo_high Qt6__Core vemo_core)
set(LINKS_vemo_core Qt6__Gui vemo_widgets_user)
set(LINKS_vemo_widgets_user Qt6__Widgets)
set(LINKS_vemo_window vemo_high Qt6__Widgets)
