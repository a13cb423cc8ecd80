# Included by fuzz/CMakeLists.txt with ${target} = swkv_fuzz_river_calls: the module's class
# table, class factory and main class, so that the target reaches the tree as the agent does.
target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/frame/application.cpp
                                 ${PROJECT_SOURCE_DIR}/frame/class_factory.cpp
                                 ${PROJECT_SOURCE_DIR}/frame/main_class.cpp
                                 ${PROJECT_SOURCE_DIR}/frame/aggregated_root.cpp)
target_compile_definitions(${target} PRIVATE
                           SWKV_DEFAULT_SCENARIO_FILE="${PROJECT_SOURCE_DIR}/sim/default_scenario.json")
