#include "output/text_drawing.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "output/output_error.h"

namespace geoframe {

namespace {

std::atomic<const AnnotationText*> textInUse{nullptr};

// Whether the batch's first drawing is done: it goes alone (see the header).
std::mutex firstMutex;
std::condition_variable firstEnded;
bool firstUnderWay = false;
bool firstDone = false;

// Ends the first drawing: done when it succeeded, else the next one goes first.
void EndFirst(bool succeeded) {
  {
    std::lock_guard lock(firstMutex);
    firstUnderWay = false;
    firstDone = succeeded;
  }
  firstEnded.notify_all();
}

// The text code in use, when it can draw.
const AnnotationText* Drawable() {
  const AnnotationText* text = textInUse.load();
  if (text == nullptr || !text->guiRunning()) return nullptr;
  return text;
}

}  // namespace

void UseAnnotationText(const AnnotationText& text) { textInUse.store(&text); }

const AnnotationText* AnnotationTextInUse() { return textInUse.load(); }

void DrawAnnotationText(const std::string& annotation, RgbRows strip) {
  const AnnotationText* text = Drawable();
  if (text == nullptr) throw OutputError(OutputErrorKind::NoGui, OutputError::Fields{});
  std::unique_lock lock(firstMutex);
  firstEnded.wait(lock, [] { return !firstUnderWay; });
  if (firstDone) {
    lock.unlock();
    text->paint(annotation, strip);
    return;
  }
  firstUnderWay = true;
  lock.unlock();
  try {
    text->paint(annotation, strip);
  } catch (...) {
    EndFirst(false);
    throw;
  }
  EndFirst(true);
}

void BeginTextBatch() {
  std::lock_guard lock(firstMutex);
  firstDone = false;
}

void WarmUpText() {
  const AnnotationText* text = Drawable();
  if (text == nullptr) return;
  // Like a first drawing, alone: Qt and fontconfig set up what every thread
  // shares here, and a drawing that starts meanwhile waits for it.
  {
    std::unique_lock lock(firstMutex);
    firstEnded.wait(lock, [] { return !firstUnderWay; });
    if (firstDone) return;
    firstUnderWay = true;
  }
  try {
    text->prepareFonts();
  } catch (const std::exception&) {
    // The first drawing loads it instead.
  }
  EndFirst(false);  // no glyph drawn yet: the first drawing still goes alone
}

}  // namespace geoframe
