# Install rules. Programs, shared libraries and the control module share one private folder, as
# in the build folder, so RUNPATH $ORIGIN finds the libraries and the control finds the archiver
# beside it; the PATH gets symbolic links to the programs. Data goes under share/.

# A symbolic link at LINK (relative to the prefix) to TARGET (relative to the prefix), itself
# relative so that a staged or packaged tree stays correct.
function(velmor_install_link link target)
  get_filename_component(link_dir ${link} DIRECTORY)
  file(RELATIVE_PATH relative /prefix/${link_dir} /prefix/${target})
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link_dir}\")
    file(CREATE_LINK \"${relative}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\" SYMBOLIC)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link} -> ${relative}\")")
endfunction()

# A program in the private folder, on the PATH as NAME.
function(velmor_install_program target name)
  install(TARGETS ${target} RUNTIME DESTINATION ${VELMOR_PRIVATE_DIR})
  velmor_install_link(${CMAKE_INSTALL_BINDIR}/${name} ${VELMOR_PRIVATE_DIR}/${target})
endfunction()

velmor_install_program(velmor velmor)
velmor_install_program(velmor-filter velmor-filter)
velmor_install_program(unlha unlha)
# "regsvr" alone could collide with other packages.
velmor_install_program(regsvr velmor-regsvr)

install(TARGETS velmor_platform velmor_component unlha32 LIBRARY DESTINATION ${VELMOR_PRIVATE_DIR})
install(TARGETS qpxctrl LIBRARY DESTINATION ${VELMOR_PRIVATE_DIR})
