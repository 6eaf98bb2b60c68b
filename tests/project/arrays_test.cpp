#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/arrays.h"
#include "project/project.h"
#include "project/recording_host.h"

namespace tarvolin::project {
namespace {

ArrayElement el(int type, std::string name, std::string comment = "") {
  return {type, std::move(name), std::move(comment), 0};
}

ArrayDef array1D(std::string name, int dimX, std::vector<ArrayElement> elements) {
  ArrayDef a;
  a.name = std::move(name);
  a.dimX = dimX;
  a.dimY = 0;
  a.elements = std::move(elements);
  return a;
}

const std::string kHeader =
    ";;; Tarvolin array script file - automatically generated\n"
    ";;; any changes made by hand will be lost\n\n\n";

TEST(ArrayTypes, NamesSizesAndOlderNames) {
  EXPECT_EQ(elementTypeFromName("8 bit unsigned"), kU8);
  EXPECT_EQ(elementTypeFromName("3D matrix"), kMatrix);
  EXPECT_EQ(elementTypeFromName("8 bit"), kS8);
  EXPECT_EQ(elementTypeFromName("16 bit"), kS16);
  EXPECT_EQ(elementTypeFromName("32 bit"), kS32);
  EXPECT_EQ(elementTypeFromName("8 unsigned bit"), kU8);
  EXPECT_EQ(elementTypeFromName("16 unsigned bit"), kU16);
  EXPECT_EQ(elementTypeFromName("64 bit"), -1);
  EXPECT_EQ(elementTypeName(7), "Unknown element type!");
  EXPECT_EQ(arrayTypeName(2), "Unknown array type!");
  EXPECT_EQ(arrayTypeFromName("Two dimensional"), 1);
  EXPECT_EQ(elementSize(kVector), 12);
  EXPECT_EQ(elementSize(kMatrix), 48);
  EXPECT_TRUE(elementValueFits(kS8, -128));
  EXPECT_FALSE(elementValueFits(kS8, 128));
  EXPECT_FALSE(elementValueFits(kU16, -1));
}

TEST(ArrayLayout, RecordLayoutReordersNonTablesOnly) {
  ArrayDef a = array1D("A", 10, {el(kU8, "a"), el(kS32, "b"), el(kU16, "c")});
  computeRecordLayout(a);
  ASSERT_EQ(a.elements.size(), 3u);
  EXPECT_EQ(a.elements[0].name, "b");
  EXPECT_EQ(a.elements[1].name, "c");
  EXPECT_EQ(a.elements[2].name, "a");
  EXPECT_EQ(a.elements[0].offset, 0);
  EXPECT_EQ(a.elements[1].offset, 4);
  EXPECT_EQ(a.elements[2].offset, 6);
  EXPECT_EQ(a.recordSize, 8);
  EXPECT_EQ(a.totalSize, 80);

  ArrayDef t = array1D("T", 2, {el(kU8, "a"), el(kU16, "b")});
  t.table = true;
  computeRecordLayout(t);
  EXPECT_EQ(t.elements[0].name, "a");
  EXPECT_EQ(t.elements[1].offset, 1);
  EXPECT_EQ(t.recordSize, 4);

  ArrayDef bytes = array1D("B", 5, {el(kU8, "a"), el(kS8, "b"), el(kU8, "c")});
  computeRecordLayout(bytes);
  EXPECT_EQ(bytes.recordSize, 3);
  EXPECT_EQ(bytes.totalSize, 15);

  // Classes: matrix, vector, 32-bit, 16-bit (signed and unsigned keep their
  // order), 8-bit.
  ArrayDef mixed = array1D("M", 1, {el(kS8, "a"), el(kS16, "b"), el(kVector, "v"), el(kU16, "c"),
                                    el(kMatrix, "m"), el(kU8, "d")});
  computeRecordLayout(mixed);
  std::string order;
  for (const ArrayElement& e : mixed.elements) order += e.name;
  EXPECT_EQ(order, "mvbcad");
  EXPECT_EQ(mixed.recordSize, 48 + 12 + 2 + 2 + 1 + 1 + 2);

  ArrayDef twoD = array1D("D", 3, {el(kS16, "a")});
  twoD.arrayType = kTwoDimensional;
  twoD.dimY = 4;
  computeRecordLayout(twoD);
  EXPECT_EQ(twoD.totalSize, 2 * 3 * 4);
}

TEST(ArrayLayout, MemoryPlacement) {
  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  ArrayDef a = array1D("A", 100, {el(kU8, "x")});
  a.internalRam = true;
  ArrayDef b = a;
  b.name = "B";
  ArrayDef c = array1D("C", 4000, {el(kU8, "x")});
  c.internalRam = true;
  list.items() = {a, b, c};
  list.layout();
  EXPECT_EQ(list.items()[0].placedOffset, 0);
  EXPECT_EQ(list.items()[1].placedOffset, 100);
  EXPECT_EQ(list.items()[2].placedOffset, -1);
  EXPECT_EQ(list.items()[2].storage, StorageKind::None);
  EXPECT_EQ(list.items()[1].storage, StorageKind::Memory);
  EXPECT_EQ(list.usedBytes(true), 200);

  // A fixed array at 0x100 of 10 bytes reserves 0x100..0x10C; an array of
  // 0x100 + 8 bytes cannot start at 0 (it would run into the reservation)
  // and goes after it, while a small one still fits below.
  ArrayDef fixed = array1D("Fixed", 10, {el(kU8, "x")});
  fixed.fixedStart = true;
  fixed.startOffset = 0x100;
  ArrayDef big = array1D("Big", 0x108, {el(kU8, "x")});
  ArrayDef small = array1D("Small", 0x100, {el(kU8, "x")});
  list.items() = {big, fixed, small};
  list.layout();
  EXPECT_EQ(list.items()[1].placedOffset, 0x100);
  EXPECT_EQ(list.items()[0].placedOffset, 0x10C);
  EXPECT_EQ(list.items()[2].placedOffset, 0);
  EXPECT_EQ(list.usedBytes(false), 12 + 0x108 + 0x100);

  // A block reserves its length and gets no storage; arrays needing 4-byte
  // alignment start on a multiple of 4 after it.
  ArrayDef blocked = array1D("Blocked", 1, {el(kU8, "x")});
  blocked.block = true;
  blocked.startOffset = 0;
  blocked.blockLength = 5;
  ArrayDef words = array1D("Words", 2, {el(kS32, "w")});
  list.items() = {words, blocked};
  list.layout();
  EXPECT_EQ(list.items()[1].storage, StorageKind::None);
  EXPECT_EQ(list.items()[0].placedOffset, 8);

  // A fixed array that passes the capacity gets no storage; tables are not
  // placed but get storage of their own, filled with 0xFF.
  ArrayDef over = array1D("Over", 8, {el(kU8, "x")});
  over.fixedStart = true;
  over.internalRam = true;
  over.startOffset = 4092;
  ArrayDef table = array1D("Table", 3, {el(kU16, "x")});
  table.table = true;
  list.items() = {over, table};
  list.layout();
  EXPECT_EQ(list.items()[0].storage, StorageKind::None);
  EXPECT_EQ(list.items()[1].storage, StorageKind::Table);
  EXPECT_EQ(list.items()[1].tableBytes, std::vector<std::uint8_t>(6, 0xFF));

  // Absurd sizes from a damaged file neither overflow nor allocate.
  ArrayDef huge = array1D("Huge", 2000000000, {el(kMatrix, "m")});
  huge.arrayType = kTwoDimensional;
  huge.dimY = 2000000000;
  ArrayDef hugeTable = huge;
  hugeTable.name = "HugeTable";
  hugeTable.table = true;
  ArrayDef after = array1D("After", 4, {el(kU8, "x")});
  list.items() = {huge, hugeTable, after};
  list.layout();
  EXPECT_EQ(list.items()[0].storage, StorageKind::None);
  EXPECT_EQ(list.items()[1].storage, StorageKind::None);
  EXPECT_EQ(list.items()[2].placedOffset, 0);
}

TEST(ArrayLayout, StorageIsTheModelledMemoryAndIsFilledOnlyWhenNewOrMoved) {
  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  list.items() = {array1D("A", 4, {el(kU8, "x")}), array1D("B", 2, {el(kU16, "y")})};
  list.layout();
  const int b = list.find("b");
  ASSERT_EQ(b, 1);
  ErrorState err;
  ASSERT_TRUE(list.setElement(b, 0, 1, 0, 0x1234, err));
  // B lies after A's four bytes: record 1 at byte 4 + 2, little-endian.
  EXPECT_EQ(memory.memories[kMemoryEram][6], 0x34);
  EXPECT_EQ(memory.memories[kMemoryEram][7], 0x12);
  EXPECT_EQ(memory.memories[kMemoryEram][0], 0xFF);
  EXPECT_EQ(memory.memories[kMemoryEram][8], 0x00);  // beyond every array: untouched

  // Laying out again keeps the data of arrays that did not move.
  list.layout();
  EXPECT_EQ(memory.memories[kMemoryEram][6], 0x34);
  // Growing A moves B: its new storage starts as 0xFF.
  list.items()[0].dimX = 8;
  list.layout();
  std::int32_t v = 0;
  ASSERT_TRUE(list.getElement(b, 0, 1, 0, v, err));
  EXPECT_EQ(v, 0xFFFF);
}

TEST(ArraysFile, RoundTripAndOlderForms) {
  ArrayDef a = array1D("Enemies", 16, {el(kS32, "x", "posición X"), el(kU8, "kind", "")});
  ArrayDef b = array1D("Map", 4, {el(kMatrix, "m", "$ looks like an element"), el(kVector, "v")});
  b.arrayType = kTwoDimensional;
  b.dimY = 3;
  b.table = true;
  b.writable = true;
  b.internalRam = true;
  b.fixedStart = true;
  b.block = true;
  b.startOffset = 256;
  b.blockLength = 64;
  ArrayDef bad = array1D("Odd", -1, {el(9, "q")});
  const std::string text = writeArrays({a, b});
  EXPECT_EQ(text, kHeader +
                      "#Enemies\nOne dimensional\n16\n0\n$x\n$32 bit signed\nposición X\n"
                      "$kind\n$8 bit unsigned\n\n*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n"
                      "#Map\nTwo dimensional\n4\n3\n$m\n$3D matrix\n$ looks like an element\n"
                      "$v\n$3D vector\n\n*true\nRW\n#\nFastRAM\nFixedAdd\nBlock\n256\n64\n\n");
  EXPECT_NE(writeArrays({bad}).find("$Unknown element type!"), std::string::npos);

  test::TempDir dir;
  ArrayList list;
  list.items() = {a, b};
  const std::string path = dir.file("arrays.txt");
  ASSERT_TRUE(list.save(path));
  ArrayList again;
  ASSERT_TRUE(again.load(path));
  ASSERT_EQ(again.items().size(), 2u);
  EXPECT_TRUE(again.items()[0].sameDefinition(list.items()[0]));
  EXPECT_TRUE(again.items()[1].sameDefinition(list.items()[1]));
  // Written again, the file is the same.
  EXPECT_EQ(writeArrays(again.items()), writeArrays(list.items()));
  EXPECT_TRUE(list.checkText(text));

  // Older forms: an element without comment, and an entry with no flag lines.
  std::vector<ArrayDef> old;
  LineReader in(std::string("#Speeds\nOne dimensional\n8\n0\n$speed\n16 bit\n$name\n$8 bit\nhi\n\n"
                            "#Bare\nOne dimensional\n2\n0\n$a\n$32 bit signed\n\n"
                            "#Flags\nTwo dimensional\n2\n2\n*TRUE\nRO\n#\nfastram\nAnyAdd\nArray\n12\n0\n"));
  ASSERT_TRUE(readArrays(in, old));
  ASSERT_EQ(old.size(), 3u);
  ASSERT_EQ(old[0].elements.size(), 2u);
  EXPECT_EQ(old[0].elements[0].type, kS16);
  EXPECT_EQ(old[0].elements[0].comment, "");
  EXPECT_EQ(old[0].elements[1].comment, "hi");
  EXPECT_FALSE(old[1].table);
  EXPECT_TRUE(old[2].table);
  EXPECT_FALSE(old[2].writable);
  EXPECT_TRUE(old[2].internalRam);
  EXPECT_EQ(old[2].startOffset, 12);
  EXPECT_TRUE(old[2].elements.empty());
}

TEST(ArraysFile, FaultsFailTheLoadAndKeepEarlierEntries) {
  const std::string good = "#Good\nOne dimensional\n2\n0\n$a\n$8 bit\nc\n*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n";
  const char* faults[] = {
      "#X\nThree dimensional\n2\n0\n",
      "#X\nOne dimensional\ntwo\n0\n",
      "#X\nOne dimensional\n2\n\n",
      "#X\nOne dimensional\n2\n0\n$a\n$8 bit\nc\n$a\n$8 bit\nc\n",
      "#X\nOne dimensional\n2\n0\n$a\n$9 bit\nc\n",
      "#X\nOne dimensional\n2\n0\n*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\nnone\n0\n",
      "#X\nOne dimensional\n2\n0\n*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n",
  };
  ArrayList list;
  for (const char* f : faults) {
    SCOPED_TRACE(f);
    test::TempDir dir;
    const std::string path = dir.write("arrays.txt", kHeader + good + f);
    EXPECT_FALSE(list.load(path));
    ASSERT_EQ(list.items().size(), 1u);
    EXPECT_EQ(list.items()[0].name, "Good");
    EXPECT_FALSE(list.checkText(kHeader + good + f));
  }
  // A missing file leaves only the built-in arrays.
  EXPECT_FALSE(list.load("/nonexistent/arrays.txt"));
  EXPECT_TRUE(list.items().empty());
  EXPECT_EQ(list.count(), kSystemArrayCount);
}

TEST(ArraysFile, SizesPastThirtyTwoBitsAreRefusedOnReading) {
  auto entry = [](const std::string& name, const std::string& type, int x, int y, const std::string& element) {
    return "#" + name + "\n" + type + "\n" + std::to_string(x) + "\n" + std::to_string(y) + "\n$v\n$" + element +
           "\nc\n*true\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n";
  };
  // 2147483647 bytes fit; a byte more, or a product past 64 bits, do not.
  const std::string text = kHeader + entry("Fits", "One dimensional", 2147483647, 0, "8 bit") +
                           entry("Wide", "One dimensional", 1073741824, 0, "16 bit") +
                           entry("Square", "Two dimensional", 65536, 65536, "3D matrix") +
                           entry("After", "Two dimensional", 4, 2, "3D matrix");
  test::TempDir dir;
  ArrayList list;
  EXPECT_FALSE(list.load(dir.write("arrays.txt", text)));
  ASSERT_EQ(list.items().size(), 2u);  // the refused ones cost no other array
  EXPECT_EQ(list.items()[0].name, "Fits");
  EXPECT_EQ(list.items()[0].totalSize, 2147483647);
  EXPECT_EQ(list.items()[1].name, "After");
  EXPECT_EQ(list.items()[1].totalSize, 384);
  EXPECT_FALSE(list.checkText(text));
}

TEST(ArrayAccess, ElementsRangesAndErrors) {
  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  ArrayDef a = array1D("A", 4, {el(kU8, "u"), el(kS8, "s"), el(kS16, "h"), el(kS32, "w"), el(kVector, "v")});
  ArrayDef g = array1D("G", 3, {el(kU16, "u")});
  g.arrayType = kTwoDimensional;
  g.dimY = 2;
  ArrayDef rom = array1D("Rom", 2, {el(kU8, "u")});
  rom.table = true;
  list.items() = {a, g, rom};
  list.layout();
  const int ia = list.find("A"), ig = list.find("G"), irom = list.find("ROM");
  const ArrayDef& def = list.items()[0];
  const int u = def.findElement("u"), s = def.findElement("s"), h = def.findElement("h"),
            w = def.findElement("w"), v = def.findElement("v");
  ErrorState err;
  std::int32_t value = 0;

  ASSERT_TRUE(list.setElement(ia, s, 3, 0, -5, err));
  ASSERT_TRUE(list.getElement(ia, s, 3, 0, value, err));
  EXPECT_EQ(value, -5);
  ASSERT_TRUE(list.setElement(ia, w, 0, 0, -123456789, err));
  ASSERT_TRUE(list.getElement(ia, w, 0, 0, value, err));
  EXPECT_EQ(value, -123456789);
  // Values are kept within the element's range.
  ASSERT_TRUE(list.setElement(ia, u, 1, 0, 300, err));
  ASSERT_TRUE(list.getElement(ia, u, 1, 0, value, err));
  EXPECT_EQ(value, 255);
  ASSERT_TRUE(list.setElement(ia, h, 1, 0, -40000, err));
  ASSERT_TRUE(list.getElement(ia, h, 1, 0, value, err));
  EXPECT_EQ(value, -32768);

  EXPECT_FALSE(list.getElement(ia, u, 4, 0, value, err));
  EXPECT_EQ(err.GetError(), 128);
  EXPECT_FALSE(list.getElement(ia, u, -1, 0, value, err));
  EXPECT_EQ(err.GetError(), 128);
  EXPECT_FALSE(list.getElement(ia, v, 0, 0, value, err));
  EXPECT_EQ(err.GetError(), 131);
  EXPECT_FALSE(list.setElement(ia, v, 0, 0, 1, err));
  EXPECT_EQ(err.GetError(), 131);
  EXPECT_FALSE(list.getElement(ia, 9, 0, 0, value, err));
  EXPECT_EQ(err.GetError(), 127);
  EXPECT_FALSE(list.getElement(99, 0, 0, 0, value, err));
  EXPECT_EQ(err.GetError(), 141);

  ASSERT_TRUE(list.setElement(ig, 0, 2, 1, 7, err));
  ASSERT_TRUE(list.getElement(ig, 0, 2, 1, value, err));
  EXPECT_EQ(value, 7);
  EXPECT_FALSE(list.getElement(ig, 0, 0, 2, value, err));
  EXPECT_EQ(err.GetError(), 128);

  EXPECT_FALSE(list.setElement(irom, 0, 0, 0, 1, err));
  EXPECT_EQ(err.GetError(), 137);
  EXPECT_FALSE(list.poke(irom, 0, 0, 1, err));
  EXPECT_EQ(err.GetError(), 137);
  EXPECT_FALSE(list.clearBytes(irom, 0, err));
  EXPECT_EQ(err.GetError(), 137);
  list.items()[2].writable = true;
  EXPECT_TRUE(list.setElement(irom, 0, 1, 0, 9, err));

  // Peek and poke by byte offset and memory size.
  ASSERT_TRUE(list.poke(ia, 2, 0, 0xBEEF, err));
  ASSERT_TRUE(list.peek(ia, 3, 0, value, err));
  EXPECT_EQ(value, std::int16_t(0xBEEF));
  ASSERT_TRUE(list.peek(ia, 0, 1, value, err));
  EXPECT_EQ(value, 0xBE);
  EXPECT_FALSE(list.peek(ia, 2, def.totalSize - 1, value, err));
  EXPECT_EQ(err.GetError(), 128);
  ASSERT_TRUE(list.clearBytes(ia, 0x5A, err));
  ASSERT_TRUE(list.peek(ia, 0, def.totalSize - 1, value, err));
  EXPECT_EQ(value, 0x5A);
}

TEST(ArrayAccess, BuiltInMemoryArrays) {
  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  list.items() = {array1D("Mine", 1, {el(kU8, "x")})};
  list.layout();
  EXPECT_EQ(list.count(), 6);
  const int eram = list.find("eram"), vram = list.find("VRAM"), sram = list.find("SRAM");
  EXPECT_EQ(eram, 1);
  EXPECT_EQ(list.at(eram)->dimX, 0x30000);
  EXPECT_EQ(list.at(vram)->dimX, 0xffffff);
  EXPECT_EQ(list.at(sram)->elements.size(), 2u);
  const int u16 = list.at(eram)->findElement("u16"), s8 = list.at(eram)->findElement("s8");
  ErrorState err;
  std::int32_t value = 0;
  ASSERT_TRUE(list.setElement(eram, u16, 0x100, 0, 0xA1B2, err));
  EXPECT_EQ(memory.memories[kMemoryEram][0x100], 0xB2);
  EXPECT_EQ(memory.memories[kMemoryEram][0x101], 0xA1);
  ASSERT_TRUE(list.getElement(eram, s8, 0x101, 0, value, err));
  EXPECT_EQ(value, std::int8_t(0xA1));
  // Halfwords must lie on even bytes.
  EXPECT_FALSE(list.getElement(eram, u16, 0x101, 0, value, err));
  EXPECT_EQ(err.GetError(), 140);
  // Beyond the memory actually modelled is out of range, not a crash.
  EXPECT_FALSE(list.getElement(vram, 0, 0x20000, 0, value, err));
  EXPECT_EQ(err.GetError(), 128);
  // The project's own array sits in the same memory.
  ASSERT_TRUE(list.getElement(eram, 0, 0, 0, value, err));
  EXPECT_EQ(value, 0xFF);
  // Clearing a built-in array clears the memory the machine has.
  ASSERT_TRUE(list.clearBytes(vram, 0x11, err));
  EXPECT_EQ(memory.memories[kMemoryVram].front(), 0x11);
  EXPECT_EQ(memory.memories[kMemoryVram].back(), 0x11);
  ASSERT_TRUE(list.clearBytes(eram, 0x33, err));
  EXPECT_EQ(memory.memories[kMemoryEram].back(), 0x33);
  ASSERT_TRUE(list.clearBytes(sram, 0x22, err));
  EXPECT_EQ(memory.memories[kMemorySram].back(), 0x22);
}

TEST(ArrayOperations, CopySwapSortAndFind) {
  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  ArrayDef a = array1D("A", 6, {el(kS16, "key"), el(kU8, "tag")});
  ArrayDef b = a;
  b.name = "B";
  ArrayDef shorter = array1D("Short", 5, {el(kS16, "key"), el(kU8, "tag")});
  ArrayDef grid = array1D("Grid", 3, {el(kS32, "v")});
  grid.arrayType = kTwoDimensional;
  grid.dimY = 3;
  list.items() = {a, b, shorter, grid};
  list.layout();
  ErrorState err;
  const int keys[] = {5, -2, 9, 5, 0, 7};
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(list.setElement(0, 0, i, 0, keys[i], err));
    ASSERT_TRUE(list.setElement(0, 1, i, 0, i, err));
  }
  auto column = [&](int array, int element) {
    std::vector<std::int32_t> out;
    for (int i = 0; i < 6; ++i) {
      std::int32_t v = 0;
      list.getElement(array, element, i, 0, v, err);
      out.push_back(v);
    }
    return out;
  };
  auto equals = [](std::int32_t wanted) { return [wanted](std::int32_t v) { return v == wanted; }; };
  std::int32_t found = 0;
  ASSERT_TRUE(list.find1D(0, 0, 0, 0, equals(5), found, err));
  EXPECT_EQ(found, 0);
  ASSERT_TRUE(list.find1D(0, 0, 1, 0, equals(5), found, err));
  EXPECT_EQ(found, 3);
  ASSERT_TRUE(list.find1D(0, 0, 0, 5, [](std::int32_t v) { return v > 8; }, found, err));
  EXPECT_EQ(found, 2);
  ASSERT_TRUE(list.find1D(0, 0, 0, 0, equals(42), found, err));
  EXPECT_EQ(found, -1);
  EXPECT_FALSE(list.find1D(0, 0, 4, 2, equals(5), found, err));
  EXPECT_EQ(err.GetError(), 129);
  EXPECT_FALSE(list.find1D(3, 0, 0, 0, equals(5), found, err));
  EXPECT_EQ(err.GetError(), 130);

  // Ascending sort of records 1..5 is stable: the two 5s keep their order.
  ASSERT_TRUE(list.sortRecords(0, 0, 0, 5, 0, err));
  EXPECT_EQ(column(0, 0), (std::vector<std::int32_t>{-2, 0, 5, 5, 7, 9}));
  EXPECT_EQ(column(0, 1), (std::vector<std::int32_t>{1, 4, 0, 3, 5, 2}));
  ASSERT_TRUE(list.sortRecords(0, 0, 1, 3, 1, err));
  EXPECT_EQ(column(0, 0), (std::vector<std::int32_t>{-2, 5, 5, 0, 7, 9}));
  EXPECT_FALSE(list.sortRecords(0, 0, 3, 1, 0, err));
  EXPECT_EQ(err.GetError(), 129);
  EXPECT_FALSE(list.sortRecords(0, 0, 0, 6, 0, err));
  EXPECT_EQ(err.GetError(), 128);

  ASSERT_TRUE(list.swapRecords(0, 0, 5, err));
  ASSERT_TRUE(list.copyRecord(0, 0, 1, err));
  EXPECT_EQ(column(0, 0), (std::vector<std::int32_t>{9, 9, 5, 0, 7, -2}));

  ASSERT_TRUE(list.copyArray(1, 0, false, err));
  EXPECT_EQ(column(1, 0), column(0, 0));
  EXPECT_FALSE(list.copyArray(2, 0, false, err));
  EXPECT_EQ(err.GetError(), 138);
  EXPECT_FALSE(list.copyArray(3, 0, false, err));
  EXPECT_EQ(err.GetError(), 130);
  EXPECT_FALSE(list.copyArray(0, 3, true, err));
  EXPECT_EQ(err.GetError(), 130);

  // 2D search: the first row from xFirst, the others from x0.
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) ASSERT_TRUE(list.setElement(3, 0, x, y, x + 10 * y, err));
  std::int32_t fx = 0, fy = 0;
  ASSERT_TRUE(list.find2D(3, 0, 0, 0, 0, 0, 0, [](std::int32_t v) { return v >= 11; }, fx, fy, err));
  EXPECT_EQ(fx, 1);
  EXPECT_EQ(fy, 1);
  ASSERT_TRUE(list.find2D(3, 0, 2, 0, 1, 0, 0, [](std::int32_t v) { return v >= 11; }, fx, fy, err));
  EXPECT_EQ(fx, 2);
  EXPECT_EQ(fy, 1);
  ASSERT_TRUE(list.find2D(3, 0, 0, 0, 0, 0, 0, equals(99), fx, fy, err));
  EXPECT_EQ(fx, -1);
  EXPECT_EQ(fy, -1);
  EXPECT_FALSE(list.find2D(0, 0, 0, 0, 0, 0, 0, equals(99), fx, fy, err));
  EXPECT_EQ(err.GetError(), 130);

  // Block copies move a record to and from another array's bytes.
  std::int32_t offset = 0;
  ASSERT_TRUE(list.blockCopy(0, 2, 0, 1, offset, false, true, err));  // A[2] -> B bytes 0..3
  EXPECT_EQ(offset, 4);
  std::int32_t v = 0;
  ASSERT_TRUE(list.getElement(1, 0, 0, 0, v, err));
  EXPECT_EQ(v, 5);
  offset = 20;
  ASSERT_TRUE(list.blockCopy(0, 3, 0, 1, offset, true, false, err));  // B bytes 20..23 -> A[3]
  EXPECT_EQ(offset, 20);
  ASSERT_TRUE(list.getElement(0, 0, 3, 0, v, err));
  EXPECT_EQ(v, -2);
  offset = 22;
  EXPECT_FALSE(list.blockCopy(0, 3, 0, 1, offset, true, true, err));
  EXPECT_EQ(err.GetError(), 128);
}

TEST(ArrayDataFiles, SaveLoadAndErrors) {
  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  ArrayDef a = array1D("A", 4, {el(kS32, "w")});
  ArrayDef g = array1D("G", 2, {el(kU8, "b")});
  g.arrayType = kTwoDimensional;
  g.dimY = 2;
  list.items() = {a, g};
  list.layout();
  ErrorState err;
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(list.setElement(0, 0, i, 0, i * 1000 - 1, err));
  test::TempDir dir;
  const std::string path = dir.file("a.bin");
  ASSERT_TRUE(list.saveData(0, false, path, err));
  const std::string bytes = test::TempDir::read(path);
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(std::uint8_t(bytes[4]), 0xE7);  // 999 little-endian
  EXPECT_EQ(std::uint8_t(bytes[5]), 0x03);

  ASSERT_TRUE(list.clearBytes(0, 0, err));
  ASSERT_TRUE(list.loadData(0, false, path, err));
  std::int32_t v = 0;
  ASSERT_TRUE(list.getElement(0, 0, 3, 0, v, err));
  EXPECT_EQ(v, 2999);

  // One byte short: 136 and nothing changes.
  const std::string shortPath = dir.write("short.bin", bytes.substr(0, 15));
  ASSERT_TRUE(list.setElement(0, 0, 0, 0, 77, err));
  EXPECT_FALSE(list.loadData(0, false, shortPath, err));
  EXPECT_EQ(err.GetError(), 136);
  ASSERT_TRUE(list.getElement(0, 0, 0, 0, v, err));
  EXPECT_EQ(v, 77);
  EXPECT_FALSE(list.loadData(0, false, dir.file("missing.bin"), err));
  EXPECT_EQ(err.GetError(), 134);
  EXPECT_FALSE(list.saveData(0, false, dir.file("no/such/folder/x.bin"), err));
  EXPECT_EQ(err.GetError(), 135);
  // The other dimensionality is refused.
  EXPECT_FALSE(list.saveData(1, false, path, err));
  EXPECT_EQ(err.GetError(), 130);
  EXPECT_FALSE(list.loadData(0, true, path, err));
  EXPECT_EQ(err.GetError(), 130);
  ASSERT_TRUE(list.saveData(1, true, dir.file("g.bin"), err));
  EXPECT_EQ(test::TempDir::read(dir.file("g.bin")), std::string(4, '\xFF'));
}

TEST(ArraysInProject, OpenLaysOutSaveKeepsAndChecks) {
  test::TempDir dir;
  test::RecordingHost host;
  std::string working;
  Project project(host, working);
  const std::string text =
      kHeader + "#Stats\nOne dimensional\n2\n0\n$hp\n$32 bit signed\n\n$lv\n$8 bit unsigned\n\n"
                "*false\nRO\n#\nFastRAM\nAnyAdd\nArray\n0\n0\n\n";
  const std::string path = dir.write("g/arrays.txt", text);
  BufferMemory memory;
  project.arrays().setMemory(&memory);
  ASSERT_TRUE(project.open(dir.file("g.tvp"), false));
  ASSERT_EQ(project.arrays().items().size(), 1u);
  const ArrayDef& stats = project.arrays().items()[0];
  EXPECT_EQ(stats.placedOffset, 0);
  EXPECT_EQ(stats.memoryKind, kMemoryIram);
  EXPECT_EQ(memory.memories[kMemoryIram][15], 0xFF);  // the new storage
  EXPECT_EQ(memory.memories[kMemoryIram][16], 0x00);
  EXPECT_EQ(project.arrays().usedBytes(true), 16);

  // Saving writes the same bytes back; a merged text is checked as arrays.
  ASSERT_TRUE(project.save(false));
  EXPECT_EQ(test::TempDir::read(path), text);
  EXPECT_TRUE(project.checkText(CheckKind::Arrays, text));
  EXPECT_FALSE(project.checkText(CheckKind::Arrays, text + "#Bad\nNo dimensional\n"));
  EXPECT_EQ(checkKindForFile("Arrays.TXT"), CheckKind::Arrays);

  // Import reads another project's file into a separate list.
  std::vector<ArrayDef> other;
  ASSERT_TRUE(ArrayList::loadInto(path, other));
  EXPECT_EQ(other.size(), 1u);
  EXPECT_EQ(project.arrays().items().size(), 1u);
}

}  // namespace
}  // namespace tarvolin::project
