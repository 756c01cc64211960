# RAR extraction: CRxUnrar and its callback module in maj_archive, over the RAR library layer whose reading
# runs in the maj-rar-worker program (libarchive, sandboxed in a process of its own).
pkg_check_modules(LIBARCHIVE REQUIRED IMPORTED_TARGET libarchive)

target_sources(maj_archive PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/rx_unrar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/m_rx_unrar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_worker_process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_worker_channel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_volume_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_entry_writer.cpp
)

# The worker: the only code that runs libarchive on RAR data.
add_executable(maj-rar-worker
  ${CMAKE_CURRENT_LIST_DIR}/rar_worker_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_worker_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_worker_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_worker_channel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_volume_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_volume_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_headers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_entry_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unar_fallback.cpp
)
target_link_libraries(maj-rar-worker PRIVATE PkgConfig::LIBARCHIVE maj_platform)

# The updater finds the worker beside its own executable (the installed layout), else in the build tree.
add_dependencies(maj_archive maj-rar-worker)
target_compile_definitions(maj_archive PRIVATE MAJ_RAR_WORKER_BUILD_PATH="$<TARGET_FILE:maj-rar-worker>")
install(TARGETS maj-rar-worker RUNTIME DESTINATION bin)
