# Splash pictures for the splash suites (target splash_pictures), 401 x 301
# each (an odd difference to any even screen size): one plain colour per
# format, and a PNG whose border is fully transparent around an opaque middle
# with a soft edge.
find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
set(pictures ${CMAKE_BINARY_DIR}/bin/pictures)
set(picture_files ${pictures}/plain.bmp ${pictures}/plain.gif ${pictures}/plain.jpg ${pictures}/opaque.png
                  ${pictures}/alpha.png)
add_custom_command(OUTPUT ${picture_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pictures}
  COMMAND ${IMAGEMAGICK_CONVERT} -size 401x301 "xc:#1E90C8" BMP3:${pictures}/plain.bmp
  COMMAND ${IMAGEMAGICK_CONVERT} -size 401x301 "xc:#C83C1E" ${pictures}/plain.gif
  COMMAND ${IMAGEMAGICK_CONVERT} -size 401x301 "xc:#3CB43C" -quality 95 ${pictures}/plain.jpg
  COMMAND ${IMAGEMAGICK_CONVERT} -size 401x301 "xc:#B43CB4" PNG24:${pictures}/opaque.png
  COMMAND ${IMAGEMAGICK_CONVERT} -size 401x301 xc:none -fill "#DCB42880" -draw "rectangle 90,60 310,240"
          -fill "#DCB428" -draw "rectangle 100,70 300,230" PNG32:${pictures}/alpha.png
  VERBATIM)
add_custom_target(splash_pictures DEPENDS ${picture_files})
