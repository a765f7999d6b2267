# libjpeg for the Windows product, built for the target from Debian's libjpeg-turbo source
# package. The sources are fetched and the static library built once, when the build tree is
# configured; nothing of it lives in the repository.
# Another build tree for the same target may point here to share one built copy.
set(QM_JPEG_WORK ${CMAKE_BINARY_DIR}/libjpeg-turbo CACHE PATH "Where libjpeg for the target is fetched and built")
set(QM_JPEG_PREFIX ${QM_JPEG_WORK}/install)
set(QM_JPEG_LIBRARY ${QM_JPEG_PREFIX}/lib/libjpeg.a)

if(NOT EXISTS ${QM_JPEG_LIBRARY})
  file(MAKE_DIRECTORY ${QM_JPEG_WORK})
  file(GLOB QM_JPEG_SOURCE LIST_DIRECTORIES true ${QM_JPEG_WORK}/libjpeg-turbo-*)
  list(FILTER QM_JPEG_SOURCE EXCLUDE REGEX "\\.(tar\\..*|dsc)$")
  if(NOT QM_JPEG_SOURCE)
    message(STATUS "Fetching Debian's libjpeg-turbo source package")
    execute_process(COMMAND apt-get source -qq libjpeg-turbo
                    WORKING_DIRECTORY ${QM_JPEG_WORK}
                    RESULT_VARIABLE result OUTPUT_QUIET)
    if(result)
      message(FATAL_ERROR "apt-get source libjpeg-turbo failed (is a deb-src entry present? run scripts/install-deps)")
    endif()
    file(GLOB QM_JPEG_SOURCE LIST_DIRECTORIES true ${QM_JPEG_WORK}/libjpeg-turbo-*)
    list(FILTER QM_JPEG_SOURCE EXCLUDE REGEX "\\.(tar\\..*|dsc)$")
  endif()

  message(STATUS "Building libjpeg for ${CMAKE_SYSTEM_PROCESSOR}-${CMAKE_SYSTEM_NAME} from ${QM_JPEG_SOURCE}")
  # The SIMD code needs an assembler the build does not otherwise use; the banner is decoded
  # once, so the plain C code is fast enough.
  get_filename_component(toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${QM_JPEG_SOURCE} -B ${QM_JPEG_WORK}/build -G ${CMAKE_GENERATOR}
                          -DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM}
                          -DCMAKE_TOOLCHAIN_FILE=${toolchain}
                          -DCMAKE_BUILD_TYPE=Release
                          -DCMAKE_INSTALL_PREFIX=${QM_JPEG_PREFIX}
                          -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
                          -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
                  RESULT_VARIABLE result OUTPUT_QUIET)
  if(NOT result)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${QM_JPEG_WORK}/build --target jpeg-static
                    RESULT_VARIABLE result OUTPUT_QUIET)
  endif()
  if(result)
    message(FATAL_ERROR "Building libjpeg-turbo for the target failed")
  endif()
  file(INSTALL ${QM_JPEG_WORK}/build/libjpeg.a DESTINATION ${QM_JPEG_PREFIX}/lib)
  file(INSTALL ${QM_JPEG_SOURCE}/jpeglib.h ${QM_JPEG_SOURCE}/jmorecfg.h ${QM_JPEG_SOURCE}/jerror.h
               ${QM_JPEG_WORK}/build/jconfig.h
       DESTINATION ${QM_JPEG_PREFIX}/include)
endif()

add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION ${QM_JPEG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${QM_JPEG_PREFIX}/include)
