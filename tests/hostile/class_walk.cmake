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
