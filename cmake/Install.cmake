# What `cmake --install` lays out: the library with its headers and
# pkg-config files, every program, the editor's program folder, its system
# settings file and the desktop files.
#
# Programs and libraries are found by walking the folders that define them,
# so that a new tool or library is installed without an edit here.
include(GNUInstallDirs)

# Every target defined in `dir` and the folders below it.
function(glyphos_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    glyphos_targets_below(${sub} sub_targets)
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Build helpers that are no part of an installation, and glyphos-cli's
# print helper, which is installed apart (below).
set(GLYPHOS_NOT_INSTALLED glyphos-make-demo glyphos-cli-print)

set(GLYPHOS_INSTALLED_PROGRAMS "")
set(GLYPHOS_INSTALLED_LIBRARIES "")
foreach(dir Ostrel Glyphos tools)
  glyphos_targets_below(${PROJECT_SOURCE_DIR}/${dir} targets)
  foreach(t ${targets})
    if(t IN_LIST GLYPHOS_NOT_INSTALLED)
      continue()
    endif()
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND GLYPHOS_INSTALLED_PROGRAMS ${t})
    elseif(type STREQUAL "SHARED_LIBRARY")
      list(APPEND GLYPHOS_INSTALLED_LIBRARIES ${t})
    endif()
  endforeach()
endforeach()

foreach(lib ${GLYPHOS_INSTALLED_LIBRARIES})
  # A shared library of ours carries a versioned soname, as libostrel does.
  get_target_property(soversion ${lib} SOVERSION)
  if(NOT soversion)
    set_target_properties(${lib} PROPERTIES VERSION 1.00 SOVERSION 1)
  endif()
endforeach()

install(TARGETS ${GLYPHOS_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET glyphos-cli-print)
  install(TARGETS glyphos-cli-print RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/glyphos)
endif()
install(TARGETS ${GLYPHOS_INSTALLED_LIBRARIES}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS ${GLYPHOS_INSTALLED_LIBRARIES}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_ONLY)
# The build tree's RUNPATH goes: an installed program finds our libraries
# where the system keeps libraries.
foreach(t ${GLYPHOS_INSTALLED_PROGRAMS} glyphos-cli-print ${GLYPHOS_INSTALLED_LIBRARIES})
  if(NOT TARGET ${t})
    continue()
  endif()
  get_target_property(type ${t} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(dir ${CMAKE_INSTALL_BINDIR})
    if(t STREQUAL "glyphos-cli-print")
      set(dir ${CMAKE_INSTALL_LIBEXECDIR}/glyphos)
    endif()
  else()
    set(dir ${CMAKE_INSTALL_LIBDIR})
  endif()
  install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dir}/$<TARGET_FILE_NAME:${t}>\")")
endforeach()

# Headers: the core library's folders into include/ostrel, the Qt part into
# include/ostrel/ui (its own pkg-config file, since it needs Qt).
file(GLOB OSTREL_CORE_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Ostrel/*/*.h)
list(FILTER OSTREL_CORE_HEADERS EXCLUDE REGEX "/Ostrel/(ui|sim)/")
install(FILES ${OSTREL_CORE_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ostrel)
set(OSTREL_PC_VERSION 1.00)
configure_file(${PROJECT_SOURCE_DIR}/packaging/ostrel.pc.in ${CMAKE_BINARY_DIR}/packaging/ostrel.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ostrel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(TARGET ostrel-ui)
  file(GLOB OSTREL_UI_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Ostrel/ui/*.h)
  install(FILES ${OSTREL_UI_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ostrel/ui)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/ostrel-ui.pc.in ${CMAKE_BINARY_DIR}/packaging/ostrel-ui.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/ostrel-ui.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

# The editor's program folder is read-only once installed: its log folder
# is the user's cache (a leading "~/" is the home folder), and the editor
# writes the configuration reader's dump there too.
set(GLYPHOS_INSTALLED_PROGRAM_DIR ${CMAKE_INSTALL_FULL_DATADIR}/glyphos)
if(TARGET glyphos)
  set(GLYPHOS_PROGRAM_DIR ${GLYPHOS_INSTALLED_PROGRAM_DIR})
  set(GLYPHOS_LOG_DIR "~/.cache/glyphos/logs")
  configure_file(${PROJECT_SOURCE_DIR}/Glyphos/app/resources/Glyphos.cfg.in
                 ${CMAKE_BINARY_DIR}/packaging/Glyphos.cfg @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/Glyphos/app/resources/Glyphos.ini.in
                 ${CMAKE_BINARY_DIR}/packaging/Glyphos.ini @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/Glyphos.cfg ${PROJECT_SOURCE_DIR}/Glyphos/app/resources/Glyphos.html
          DESTINATION ${GLYPHOS_INSTALLED_PROGRAM_DIR})
  # The manual's pictures, beside it.
  file(GLOB GLYPHOS_MANUAL_IMAGES ${PROJECT_SOURCE_DIR}/Glyphos/app/resources/manual/*.png)
  install(FILES ${GLYPHOS_MANUAL_IMAGES} DESTINATION ${GLYPHOS_INSTALLED_PROGRAM_DIR})
  # Qt finds system settings in XDG_CONFIG_DIRS, /etc/xdg unless set, so
  # this file goes there whatever the prefix.
  install(FILES ${CMAKE_BINARY_DIR}/packaging/Glyphos.ini DESTINATION /etc/xdg/Kalvo)
endif()

# Documentation files Debian asks for.
set(GLYPHOS_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/glyphos)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${GLYPHOS_DOC_DIR})
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP_PROGRAM} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(glyphos-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${GLYPHOS_DOC_DIR})

# Desktop integration: the menu entry, the file types and the icon, drawn
# at build time in every size from one pattern.
if(TARGET glyphos)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/glyphos.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/glyphos-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME glyphos.xml)
  add_executable(glyphos-make-icons ${PROJECT_SOURCE_DIR}/packaging/make_icons.cpp)
  target_link_libraries(glyphos-make-icons PRIVATE Qt6::Gui)
  set(GLYPHOS_ICON_DIR ${CMAKE_BINARY_DIR}/packaging/icons)
  set(GLYPHOS_ICON_SIZES 16 24 32 48 64 128 256)
  set(icon_outputs ${GLYPHOS_ICON_DIR}/glyphos.svg)
  foreach(size ${GLYPHOS_ICON_SIZES})
    list(APPEND icon_outputs ${GLYPHOS_ICON_DIR}/glyphos-${size}.png)
    install(FILES ${GLYPHOS_ICON_DIR}/glyphos-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME glyphos.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GLYPHOS_ICON_DIR}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:glyphos-make-icons> ${GLYPHOS_ICON_DIR}
    DEPENDS glyphos-make-icons
    COMMENT "Drawing the editor's icons")
  add_custom_target(glyphos-icons ALL DEPENDS ${icon_outputs})
  install(FILES ${GLYPHOS_ICON_DIR}/glyphos.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages, compressed as Debian wants them.
file(GLOB GLYPHOS_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/*.1)
foreach(page ${GLYPHOS_MAN_PAGES})
  get_filename_component(name ${page} NAME)
  set(gz ${CMAKE_BINARY_DIR}/packaging/man/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/man
    COMMAND ${GZIP_PROGRAM} -9nc ${page} > ${gz}
    DEPENDS ${page})
  list(APPEND man_outputs ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
if(man_outputs)
  add_custom_target(glyphos-man-pages ALL DEPENDS ${man_outputs})
endif()
