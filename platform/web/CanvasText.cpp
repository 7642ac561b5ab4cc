#include "platform/web/CanvasText.h"

#include <emscripten.h>

namespace gyrelle::platform {

namespace {

// Draws `text` into a canvas of its own and uploads it to the bound texture; writes the
// size of the text in pixels to size[0], size[1].
// clang-format off
EM_JS(void, drawTextIntoTexture,
      (const char* text, const char* family, int pixelSize, int wrap, int centred, int* size), {
          var canvas = Module.gyrelleTextCanvas ||
                       (Module.gyrelleTextCanvas = document.createElement("canvas"));
          var g = canvas.getContext("2d");
          var font = pixelSize + "px " + UTF8ToString(family) + ", sans-serif";
          g.font = font;
          var lines = [];
          UTF8ToString(text).split('\n').forEach(function(paragraph) {
              var line = "";
              paragraph.split(" ").forEach(function(word) {
                  var tried = line ? line + " " + word : word;
                  if (line && g.measureText(tried).width > wrap) {
                      lines.push(line);
                      line = word;
                  } else {
                      line = tried;
                  }
              });
              lines.push(line);
          });
          var lineHeight = Math.ceil(pixelSize * 1.15);
          var width = 1;
          lines.forEach(
              function(l) { width = Math.max(width, Math.ceil(g.measureText(l).width)); });
          width = Math.min(width, wrap);
          canvas.width = width;
          canvas.height = Math.max(1, lines.length * lineHeight);
          g.font = font;  // a new size forgets it
          g.fillStyle = "white";
          g.textBaseline = "top";
          g.textAlign = centred ? "center" : "left";
          lines.forEach(function(l, i) { g.fillText(l, centred ? width / 2 : 0, i * lineHeight); });
          GLctx.pixelStorei(GLctx.UNPACK_PREMULTIPLY_ALPHA_WEBGL, false);
          GLctx.texImage2D(GLctx.TEXTURE_2D, 0, GLctx.RGBA, GLctx.RGBA, GLctx.UNSIGNED_BYTE,
                           canvas);
          HEAP32[size >> 2] = canvas.width;
          HEAP32[(size >> 2) + 1] = canvas.height;
      });
// clang-format on

}  // namespace

TextTexture CanvasText::render(const std::string& text, const char* family, int pixelSize,
                               int wrapPixels, TextAlignment alignment) {
    TextTexture texture;
    texture.id = newTexture(GL_LINEAR);
    int size[2] = {0, 0};
    drawTextIntoTexture(text.c_str(), family, pixelSize, wrapPixels,
                        alignment == TextAlignment::Center, size);
    glBindTexture(GL_TEXTURE_2D, 0);
    texture.width = size[0];
    texture.height = size[1];
    return texture;
}

}  // namespace gyrelle::platform
