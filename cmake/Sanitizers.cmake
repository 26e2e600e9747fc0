if(KELM_ASAN AND KELM_TSAN)
  message(FATAL_ERROR "KELM_ASAN and KELM_TSAN cannot be combined")
endif()
if(KELM_ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # GCC 12's instrumented inlining sees std::regex's own states as maybe uninitialized (GCC bug
  # 105616); the plain build keeps the warning.
  add_compile_options($<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
endif()
if(KELM_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(KELM_FUZZ)
  # Coverage in the libraries too, so that the fuzzers are guided through the parsers they call.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
