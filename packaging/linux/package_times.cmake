# Run by CPack on the staged files before it packs them: every file and folder takes the time
# of the commit, so that the .deb does not depend on when it was built.
set(epoch $ENV{SOURCE_DATE_EPOCH})
if(NOT epoch)
  set(epoch ${CPACK_DUSKLINE_EPOCH})
endif()
execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @${epoch} {} +
                COMMAND_ERROR_IS_FATAL ANY)
