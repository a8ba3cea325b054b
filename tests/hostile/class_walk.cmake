# Counts, sizes and interface names a module reports that no honest module would.

orn_hostile_module(class_count_int_max class_count_int_max.cpp)
orn_hostile_module(class_count_negative class_count_negative.cpp)
orn_hostile_module(endless_class_walk endless_class_walk.cpp)
orn_hostile_module(descriptor_size_huge lying_descriptor.cpp)
target_compile_definitions(hostile_descriptor_size_huge PRIVATE DESCRIPTOR_SIZE=0x7FFFFFFF)
orn_hostile_module(descriptor_size_negative lying_descriptor.cpp)
target_compile_definitions(hostile_descriptor_size_negative PRIVATE DESCRIPTOR_SIZE=-16)
orn_hostile_module(descriptor_without_data lying_descriptor.cpp)
target_compile_definitions(hostile_descriptor_without_data PRIVATE DESCRIPTOR_SIZE=16
  DESCRIPTOR_NO_DATA)
orn_hostile_module(every_name every_name.cpp)
foreach(count 10000 30000 1000000)
  orn_hostile_module(many_names_${count} many_names.cpp)
  target_compile_definitions(hostile_many_names_${count} PRIVATE NAME_COUNT=${count})
endforeach()

# Counts past any int arithmetic, and a walk that does not end: the class walk fails, inspect
# shows what the module said, nothing overflows.
orn_hostile_run(ClassCountIntMax MODULE class_count_int_max ARGS check {module} STATUS 1
  TEXT "[FAIL] the class walk lists every class once: classCount() is 2147483647, more than the 65536")
orn_hostile_run(ClassCountIntMaxInspected MODULE class_count_int_max ARGS inspect --json {module}
  STATUS 0 TEXT "\"classCount\": 2147483647" JSON)
orn_hostile_run(ClassCountNegative MODULE class_count_negative ARGS check --json {module} STATUS 1
  TEXT "classCount() is negative (-7)" JSON)
orn_hostile_run(EndlessClassWalk MODULE endless_class_walk ARGS check {module} STATUS 1
  TEXT "the walk does not end after 65552 classes")
orn_hostile_run(EndlessClassWalkInspected MODULE endless_class_walk ARGS inspect {module} STATUS 0
  TEXT "the walk did not end after 65552 classes; the first 16 are shown")

# A descriptor whose size() lies: never read past what can be read, and said to be unbelievable.
orn_hostile_run(DescriptorSizeHuge MODULE descriptor_size_huge ARGS check {module} STATUS 1
  TEXT "[FAIL] the descriptor is one object that survives references: size() says 2147483647 bytes, which is not believable")
orn_hostile_run(DescriptorSizeHugeInspected MODULE descriptor_size_huge ARGS inspect --json {module}
  STATUS 0 TEXT "\"claimedSize\": 2147483647" "not believable" JSON)
orn_hostile_run(DescriptorSizeNegative MODULE descriptor_size_negative ARGS inspect {module}
  STATUS 0 TEXT "size() says -16 bytes, which is not believable")
orn_hostile_run(DescriptorWithoutData MODULE descriptor_without_data ARGS check {module} STATUS 1
  TEXT "size() says 16 bytes but data() is null")

# Objects that answer every name are never called through views they do not have.
orn_hostile_run(EveryNameAnswered MODULE every_name ARGS check {module} STATUS 1
  TEXT "AnswersEverything: answers even \"IOrnNoSuchInterface\", so none of its views can be trusted"
       "AnswersEverything: the enumeration wrote over the host's name collector"
       "[FAIL] unknown and wrong-case names are refused")
orn_hostile_run(EveryNameAnsweredInJson MODULE every_name ARGS check --json {module} STATUS 1
  TEXT "none of its views can be trusted" JSON)
orn_hostile_run(EveryNameInspected MODULE every_name ARGS inspect {module} STATUS 0
  TEXT "AnswersEverything")

# Many names: the check passes in time linear in their number.
foreach(count 10000 30000)
  orn_hostile_run(ManyNames_${count} MODULE many_names_${count} ARGS check {module} STATUS 0
    TEXT "0 failed")
endforeach()
# A million names take the check longer than the default time limit of a phase on a slow or busy
# machine (a sanitizer leg, wine): the limit is raised to the test's own.
orn_hostile_run(ManyNames_1000000 MODULE many_names_1000000
  ARGS check --json --timeout 580 {module} STATUS 0 TEXT "\"ok\": true" JSON TIMEOUT 600)

# A count of -2^31 from an object that no release destroys.
orn_hostile_module(count_int_min count_int_min.cpp)
orn_hostile_run(CountIntMin MODULE count_int_min ARGS check {module} STATUS 1
  TEXT "Undying: created with count -2147483648"
       "Undying: not destroyed by its last release (count -2147483649 afterwards)")
