# Fails unless sim/README.md quotes sim/default_scenario.json word for word.
file(READ ${SOURCE_DIR}/sim/README.md readme)
file(READ ${SOURCE_DIR}/sim/default_scenario.json scenario)
string(FIND "${readme}" "${scenario}" at)
if(scenario STREQUAL "" OR at EQUAL -1)
  message(FATAL_ERROR "sim/README.md must quote sim/default_scenario.json")
endif()
