# Writes the AppStream metainfo from its template: cmake -DIN=... -DOUT=... -DVERSION=...
# [-DHOMEPAGE=...] -P ConfigureMetainfo.cmake. The project's address and the screenshot kept
# there (screenshots/main-window.png) are named only when there is an address: a made-up one
# would send software centres to a page that does not exist.
if(HOMEPAGE)
    set(VEMO_METAINFO_HOMEPAGE "<url type=\"homepage\">${HOMEPAGE}</url>")
    set(VEMO_METAINFO_SCREENSHOTS "<screenshots>
    <screenshot type=\"default\">
      <caption>The main window with a bilingual text</caption>
      <caption xml:lang=\"ru\">Главное окно с двуязычным текстом</caption>
      <image type=\"source\" width=\"1225\" height=\"777\">${HOMEPAGE}/screenshots/main-window.png</image>
    </screenshot>
  </screenshots>")
else()
    set(VEMO_METAINFO_HOMEPAGE "")
    set(VEMO_METAINFO_SCREENSHOTS "")
endif()
set(PROJECT_VERSION ${VERSION})
configure_file(${IN} ${OUT} @ONLY)
