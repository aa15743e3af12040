#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

#include "model/List.h"
#include "model/String.h"
#include "platform/Point.h"
#include "platform/Rect.h"
#include "store/Blank.h"
#include "store/FieldVisitor.h"

namespace virlo {

class Canvas;
class DeviceContext;
class DrawObj;
class HitIndex;

// The root of a diagram: the drawing area with its character grid, the
// top-level objects in stacking order (front first), and the name of the text
// file the diagram is printed to.
class Sheet {
 public:
  // No object position lies further from the origin than this on either
  // axis: files beyond it are refused, and moves stop at it, so the grid
  // arithmetic never overflows and whatever is saved opens again.
  static constexpr std::int32_t MaxCoordinate = 1 << 24;

  Sheet(std::int32_t width, std::int32_t height, std::int32_t cellWidth, std::int32_t cellHeight);
  explicit Sheet(store::Blank);
  virtual ~Sheet();
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  // Paints the green border, then every object from the back to the front.
  virtual void Draw(DeviceContext& dc) const;
  // Paints every object from the back to the front, without the border.
  void DrawObjects(DeviceContext& dc) const;
  // The character art: one line per grid row, each ended by a line feed.
  // A row of imported art that shows what it showed when read gives back
  // the bytes it was read from (KeptRows).
  virtual std::string MakeText() const;
  // The same in UTF-8, where a marker's character stands as itself rather
  // than as its code page 932 substitute.
  std::string MakeUtf8Text() const;
  // Renders every object from the back to the front into a canvas of the
  // sheet's grid (NewCanvas), as MakeText does.
  void RenderText(Canvas& canvas) const;
  // A blank canvas of the sheet's grid; no rows when the grid is unusable.
  Canvas NewCanvas(bool lineLayer = false) const;

  // Nothing picked or selected any more: no current object, an empty set, and
  // none of them highlighted or moving freely.
  void ClearSelection();

  void SetTextFileName(const String& name) { textFileName.Assign(name); }
  // The text file beside a document: its file name without the last
  // extension, with ".txt" ("dia.vrl" gives "dia.txt", "diagram" gives
  // "diagram.txt"). Never the document's own path: a document named
  // "notes.txt" prints to "notes.txt.txt".
  static String TextFileNameFor(const String& path);

  // The front-most listed object other than exclude whose HitTest holds at
  // the point, as a walk of the list from the front finds it; the hit index
  // finds it among the few objects near the point.
  DrawObj* HitObject(std::int32_t x, std::int32_t y, const DrawObj* exclude) const;
  DrawObj* PickObject(std::int32_t x, std::int32_t y, const DrawObj* exclude) const;
  // Appends to selected every object whose hit area lies within rect.
  List<DrawObj*>& CollectInRect(const Rect& rect);
  void PlaceInFront(DrawObj* obj);
  void PlaceAtBack(DrawObj* obj);
  // Takes the object's root out and puts it in front, as picking and the
  // front command do; the texts written over a box's sides (its titles)
  // stay in front of it, so its sides never cover their blanks.
  void Raise(DrawObj* obj);
  // Removes every occurrence; returns how many there were.
  std::int32_t RemoveObject(DrawObj* obj);
  // Whether obj stands in the list.
  bool Lists(const DrawObj* obj) const;
  // obj, or the object it is part of, may lie elsewhere now: what moves an
  // object's points without Dot::Move tells the hit index so.
  void Moved(DrawObj* obj) const;
  // The hit index, made on first use (see HitIndex).
  HitIndex& Index() const;
  // Frees every listed object, front to back, once each, and empties the list.
  void DeleteObjects();

  // While one lives, the objects it names are known to stand in no sheet's
  // list (the caller took them all out in one walk), so their destructors
  // do not walk the list looking for them.
  class Unlisted {
   public:
    explicit Unlisted(const std::unordered_set<const void*>& objects);
    ~Unlisted();
    Unlisted(const Unlisted&) = delete;
    Unlisted& operator=(const Unlisted&) = delete;
    static bool Contains(const void* obj);

   private:
    const std::unordered_set<const void*>* previous_;
  };
  // While one lives, hit searches on its sheet find only the objects it
  // names: pasted copies settle among themselves, not on the originals that
  // lie under them.
  class PickOnly {
   public:
    PickOnly(const Sheet& sheet, const std::unordered_set<const void*>& objects);
    ~PickOnly();
    PickOnly(const PickOnly&) = delete;
    PickOnly& operator=(const PickOnly&) = delete;
    // False when a search on the sheet must pass obj by.
    static bool Allows(const Sheet& sheet, const void* obj);

   private:
    const Sheet* sheet_;
    const std::unordered_set<const void*>* objects_;
    const PickOnly* previous_;
  };
  // The centre of the grid cell holding a point (truncating for negatives).
  Point SnapToGrid(std::int32_t x, std::int32_t y) const;
  // The cell holding a point, as (column, row) counted from 0. Rounds down,
  // so a point left of or above the sheet lies in a negative cell, outside
  // the art, as the screen shows it.
  Point CellOf(std::int32_t x, std::int32_t y) const;

  // The persistent layout, in declaration order.
  DrawObj* current = nullptr;
  List<DrawObj*> selected;
  List<DrawObj*> objects;
  String textFileName;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t cellWidth = 0;
  std::int32_t cellHeight = 0;
  std::int32_t originX = 0;
  std::int32_t originY = 0;
  // The rows of imported art that print back with their tabs and blanks
  // at their ends while they show what they showed (KeptRows::Stored).
  String keptRows;

 private:
  // Not described: never stored, and left as it is by undo. The index
  // belongs to the sheet's database, which lets it go when it closes.
  mutable HitIndex* hitIndex_ = nullptr;
};

}  // namespace virlo
