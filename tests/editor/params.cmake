# The change handlers of the editor and librarian parameters, the hardware
# change path and the main tab switch.
vivivi_test(editor_params_tests SOURCES params_description.h params_test.cpp tab_switch_test.cpp
  LIBS editor_fixture THREADED)
