#pragma once

#include <string>

#include "cube/MagicCube.h"

namespace gyrelle {

// A position as the text cube solvers read: the 54 facelets face by face in the order
// U R F D L B, each face row by row as seen from outside it (U with B above it, D with F
// above it, the side faces with U above them), one letter per sticker naming the face
// whose centre has its colour. In the cube's own frame U is +y (green at the start),
// R +x (yellow), F +z (red), D -y (blue), L -x (white), B -z (orange); the solved cube
// is UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB.
std::string positionCode(const MagicCube::Stickers& stickers);

// The sticker records of the position `code` names (white space around it is ignored);
// false, with `problem` saying what is wrong, for a text that is not a position a cube
// can reach. The centres come out in their home places.
// The code an address carries after "#position=" (to the end, or to an '&'; %-escapes
// read as the bytes they stand for), as the browser's Share makes it; a text without
// "#position=" is returned as it is.
std::string codeOfAddress(const std::string& text);

bool stickersOfCode(const std::string& code, MagicCube::Stickers& stickers, std::string& problem);

}  // namespace gyrelle
