// Writes the program's icon file from the pictures in icon_art.cpp:
//   gushmire-make-icon <output.ico>
// The result is committed as assets/icon/gushmire.ico; a test checks that
// the committed file matches what this writes.

#include <fstream>
#include <iostream>

#include "ico_format.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: gushmire-make-icon <output.ico>\n";
    return 2;
  }
  try {
    const auto bytes = icon::EncodeIconFile({icon::largeArt, icon::smallArt});
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
      throw std::runtime_error(std::string("cannot write ") + argv[1]);
  } catch (const std::exception &error) {
    std::cerr << "gushmire-make-icon: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
