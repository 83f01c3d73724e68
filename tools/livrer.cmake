# Puts the delivered files in the application folder. The empty catalogue is delivered only
# where no catalogue exists yet, so rebuilding never brings back the installation message.
file(MAKE_DIRECTORY "${DOSSIER}")
if(NOT EXISTS "${DOSSIER}/R7Ozire.mdb" AND NOT EXISTS "${DOSSIER}/R7Ozire.Maj")
    file(COPY_FILE "${CATALOGUE_VIDE}" "${DOSSIER}/R7Ozire.Maj")
endif()
file(COPY_FILE "${AFFICHE}" "${DOSSIER}/NoPicture.jpg" ONLY_IF_DIFFERENT)
