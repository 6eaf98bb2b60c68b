#include "script/commands.h"

#include <array>

#include "common/text.h"

namespace tarvolin::script {

namespace {

constexpr CommandGroup kLanguage = CommandGroup::Language;
constexpr CommandGroup kArrays = CommandGroup::Arrays;
constexpr CommandGroup kWorld = CommandGroup::World;
constexpr CommandGroup kResources = CommandGroup::Resources;
constexpr CommandGroup kHardware = CommandGroup::Hardware;
constexpr CommandGroup kSound = CommandGroup::Sound;

// Every command in stored order: the lookup scans this order and the first
// match wins (so "=-" is found before "=").
constexpr CommandInfo kCommands[] = {
    {cmd::If, "If", "PLP",
     "If <P1> <LOP> <P2>", false, kLanguage},
    {cmd::IfEqual, "IfEqual", "PP",
     "IfEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::IfNotEqual, "IfNotEqual", "PP",
     "IfNotEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::IfGreater, "IfGreater", "PP",
     "IfGreater <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::IfGreaterOrEqual, "IfGreaterOrEqual", "PP",
     "IfGreaterOrEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::IfLess, "IfLess", "PP",
     "IfLess <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::IfLessOrEqual, "IfLessOrEqual", "PP",
     "IfLessOrEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::IfModEqual, "IfModEqual", "PP",
     "IfModEqual <P1> <P2> (en desuso)", true, kLanguage},
    {cmd::IfAndEqual, "IfAndEqual", "PP",
     "IfAndEqual <P1> <P2> (en desuso)", true, kLanguage},
    {cmd::IfBetweenOrEqual, "IfBetweenOrEqual", "PLPP",
     "IfBetweenOrEqual <P1> <P2> <P3> (en desuso)", true, kLanguage},
    {cmd::IfOutside, "IfOutside", "PLPP",
     "IfOutside <P1> <P2> <P3> (en desuso)", true, kLanguage},
    {cmd::While, "While", "PLP",
     "While <P1> <LOP> <P2>", false, kLanguage},
    {cmd::WhileEqual, "WhileEqual", "PP",
     "WhileEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::WhileNotEqual, "WhileNotEqual", "PP",
     "WhileNotEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::WhileGreater, "WhileGreater", "PP",
     "WhileGreater <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::WhileGreaterOrEqual, "WhileGreaterOrEqual", "PP",
     "WhileGreaterOrEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::WhileLess, "WhileLess", "PP",
     "WhileLess <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::WhileLessOrEqual, "WhileLessOrEqual", "PP",
     "WhileLessOrEqual <P1> <P2> (en desuso)", false, kLanguage},
    {cmd::Else, "Else", "",
     "Else <nada>", false, kLanguage},
    {cmd::ElseIf, "ElseIf", "PLP",
     "ElseIf <P1> <LOP> <P2>", false, kLanguage},
    {cmd::End, "End", "",
     "End <nada>", false, kLanguage},
    {cmd::Break, "Break", "",
     "Break <nada>", false, kLanguage},
    {cmd::BreakMore, "BreakMore", "P",
     "BreakMore <P1 cantidad>", false, kLanguage},
    {cmd::Call, "Call", "?",
     "Call <Función> <P1> .. <P10>", false, kLanguage},
    {cmd::CallRet, "CallRet", "?",
     "CallRet <Función> <P1> .. <P10> - Retorna falso, si la función retorna falso", false, kLanguage},
    {cmd::Return, "Return", "?",
     "Return <P1> .. <P4>", false, kLanguage},
    {cmd::AddTo, "+=", "P",
     "<V1> += <P1> - suma", true, kLanguage},
    {cmd::Negate, "=-", "P",
     "<V1> =- <P1> - negación", true, kLanguage},
    {cmd::MultiplyBy, "*=", "P",
     "<V1> *= <P1> - multiplicación", true, kLanguage},
    {cmd::DivideBy, "/=", "P",
     "<V1> /= <P1> - división", true, kLanguage},
    {cmd::ModuloBy, "%=", "P",
     "<V1> %= <P1> - resto", true, kLanguage},
    {cmd::SubtractFrom, "-=", "P",
     "<V1> -= <P1> - resta", true, kLanguage},
    {cmd::ShiftLeftBy, "<<=", "P",
     "<V1> <<= <P1> - V1 se mueve a la izquierda tantas P1 veces", true, kLanguage},
    {cmd::ShiftRightBy, ">>=", "P",
     "<V1> >>= <P1> - V1 se mueve a la derecha tantas P1 veces", true, kLanguage},
    {cmd::OrWith, "|=", "P",
     "<V1> |= <P1> - operación binaria OR", true, kLanguage},
    {cmd::AndWith, "&=", "P",
     "<V1> &= <P1> - operación binaria AND", true, kLanguage},
    {cmd::XorWith, "^=", "P",
     "<V1> ^= <P1> - operación binaria XOR", true, kLanguage},
    {cmd::RandomUpTo, "?=", "P",
     "<V1> ?= <P1> - aleatorio 0..P1", true, kLanguage},
    {cmd::Min, "Min", "PP",
     "<V1> Min <P1> <P2> - se almacena el de valor más chico entre P1 y P2", true, kLanguage},
    {cmd::Max, "Max", "PP",
     "<V1> Max <P1> <P2> - se almacena el de valor más grande entre P1 y P2", true, kLanguage},
    {cmd::Bounce, "Bounce", "PP",
     "<V1> Bounce <P1> <P2> - P1&P2, si resultado > (P2/2), res = P2-res", true, kLanguage},
    {cmd::Sqrt, "Sqrt", "P",
     "<V1> Sqrt <P1> - raíz cuadrada de P1, 0 si P1 es negativo", true, kLanguage},
    {cmd::Assign, "=", "P",
     "<V1> = <P1> - igualación", true, kLanguage},
    {cmd::Abs, "Abs", "P",
     "<V1> Abs <P1> - valor absoluto de P1", true, kLanguage},
    {cmd::Qdist, "Qdist", "PPPP",
     "<V1> Qdist <P1:x1> <P2:y1> <P3:x2> <P4:y2> - distancia rápida entre (x1,y1)..(x2,y2)", true, kLanguage},
    {cmd::ArrayPeek, "ArrayPeek", "aZPV",
     "ArrayPeek <Arreglo> <[MemTamaño]> <P1 desplazamiento> <V1 objetivo>", true, kArrays},
    {cmd::ArrayPoke, "ArrayPoke", "aZPP",
     "ArrayPoke <Arreglo> <[MemTamaño]> <P1 desplazamiento> <P2 valor>", true, kArrays},
    {cmd::ArrayGetSize, "ArrayGetSize", "aV",
     "ArrayGetSize <Arreglo> <V1 resultado> - retorna en bytes el tamaño total de este arreglo", true, kArrays},
    {cmd::ArrayGetDimensionX, "ArrayGetDimensionX", "aV",
     "ArrayGetDimensionX <Arreglo> <V1 resultado>", true, kArrays},
    {cmd::ArrayGetDimensionY, "ArrayGetDimensionY", "aV",
     "ArrayGetDimensionY <Arreglo> <V1 resultado> - retorna 0 en arreglos 1D", true, kArrays},
    {cmd::ArrayGetInstanceSize, "ArrayGetInstanceSize", "aV",
     "ArrayGetInstanceSize <Arreglo> <V1 resultado> - retorna el tamaño total de un único caso de este arreglo", true, kArrays},
    {cmd::ArrayClear, "ArrayClear", "aP",
     "ArrayClear <Arreglo> <P1 valor 0..255> - rellena la totalidad de la memoria del arreglo con P1", true, kArrays},
    {cmd::ArrayBlockPeek, "ArrayBlockPeek", "aPPaVP",
     "ArrayBlockPeek <ArregloDestino> <P1 índice X> <P2 índice Y> <ArregloFuente> <V1 desplazamiento de 8bit> <P3 señal> - P1: -1 arreglo completo, P2: 0 en arreglos 1D", true, kArrays},
    {cmd::ArrayBlockPoke, "ArrayBlockPoke", "aPPaVP",
     "ArrayBlockPoke <ArregloFuente> <P1 índice X> <P2 índice Y> <ArregloDestino> <V1 desplazamiento de 8bit> <P3 señal> - P1: -1 arreglo completo, P2: 0 en arreglos 1D", true, kArrays},
    {cmd::Array1DSort, "Array1DSort", "ePPP",
     "Array1DSort <Arreglo.Elemento 'llave'> <P1 índice inferior> <P2 índice superior> <P3 dirección>", true, kArrays},
    {cmd::Array1DIndexCopy, "Array1DIndexCopy", "aPP",
     "Array1DCopy <Arreglo> <P1 índice fuente> <P2 índice destino>", true, kArrays},
    {cmd::Array1DSwap, "Array1DSwap", "aPP",
     "Array1DSwap <Arreglo> <P1 índice> <P2 índice>", true, kArrays},
    {cmd::Array1DGetElement, "Array1DGetElement", "ePV",
     "Array1DGetElement <Arreglo.Elemento> <P1 índice> <V1 objetivo>", true, kArrays},
    {cmd::Array1DSetElement, "Array1DSetElement", "ePP",
     "Array1DSetElement <Arreglo.Elemento> <P1 índice> <P2 valor>", true, kArrays},
    {cmd::Array1DSave, "Array1DSave", "ra",
     "Array1DSave <IDRecurso> <Arreglo>", true, kArrays},
    {cmd::Array1DLoad, "Array1DLoad", "ra",
     "Array1DLoad <IDRecurso> <Arreglo>", true, kArrays},
    {cmd::Array1DFind, "Array1DFind", "PPeSPV",
     "Array1DFind <P1 índiceinicial> <P2 índicefinal (0 = max)> <Arreglo.Elemento> <[operadorbúsqueda]> <P3 valor a buscar> <V1 índice>", true, kArrays},
    {cmd::Array1DCopy, "Array1DCopy", "aa",
     "Array1DCopy <Arreglo objetivo> <Arreglo fuente>", true, kArrays},
    {cmd::Array2DGetElement, "Array2DGetElement", "ePPV",
     "Array2DGetElement <Arreglo.Elemento> <P1 índice X> <P2 índice Y> <V1 objetivo>", true, kArrays},
    {cmd::Array2DSetElement, "Array2DSetElement", "ePPP",
     "Array2DSetElement <Arreglo.Elemento> <P1 índice X> <P2 índice Y> <P3 valor>", true, kArrays},
    {cmd::Array2DSave, "Array2DSave", "ra",
     "Array2DSave <ID del Recurso> <Arreglo>", true, kArrays},
    {cmd::Array2DLoad, "Array2DLoad", "ra",
     "Array2DLoad <ID del Recurso> <Arreglo>", true, kArrays},
    {cmd::Array2DIterate, "Array2DIterate", "aPPPPF",
     "Array2DIterate <Arreglo> <P1 índice X> <P2 índice Y> <P3 cantidad X> <P4 cantidad Y> <Función - p1: índicearreglo, p2: x, p3: y>", true, kArrays},
    {cmd::Array2DIterateTable, "Array2DIterateTable", "ePPPPe",
     "Array2DIterateTable <Arreglo.Elemento> <P1 índice X> <P2 índice Y> <P3 cantidad X> <P4 cantidad Y> <Función Tabla.Elemento - p1: valor del elemento, p2: x, p3: y>", true, kArrays},
    {cmd::Array2DCopy, "Array2DCopy", "aa",
     "Array2DCopy <Arreglo objetivo> <Arreglo fuente>", true, kArrays},
    {cmd::Array2DFind, "Array2DFind", "PPPPPeSPVV",
     "Array2DFind <P1 índice X> <P2 índice X inicial> <P3 índice Y inicial> <P4 índice X final (0 = max)> <P5 índice Y final (0 = max)> <Arreglo.Elemento> <[Operador de búsqueda]> <P6 valor de búsqueda> <V1 índice X> <V2 índice Y>", true, kArrays},
    {cmd::MatrixIdentity, "MatrixIdentity", "eP",
     "MatrixIdentity <Arreglo.Matriz> <P1 índice X>", true, kArrays},
    {cmd::MatrixRotate, "MatrixRotate", "ePPeP",
     "MatrixRotate <Arreglo.Matriz> <P1 índice X del arreglo matriz> <P2 ángulo> <Arreglo.Vector> <P3 índice X del arreglo vector>", true, kArrays},
    {cmd::MatrixTranslate, "MatrixTranslate", "ePeP",
     "MatrixTranslate <Arreglo.Matriz> <P1 índice X del arreglo matriz> <Arreglo.Vector> <P2 índice X del arreglo vector>", true, kArrays},
    {cmd::MatrixScale, "MatrixScale", "ePPPP",
     "MatrixScale <Arreglo.Matriz> <P1 índice> <P2 - X> <P3 - Y><P4 - Z>", true, kArrays},
    {cmd::MatrixApplyToVector, "MatrixApplyToVector", "ePePeP",
     "MatrixApplyToVector <Arreglo.VectorDestino> <P1 índice X del arreglo vector> <Arreglo.VectorFuente> <P2 índice X del arreglo vector> <Arreglo.Matriz> <P1 índice X del arreglo matriz>", true, kArrays},
    {cmd::VectorGet, "VectorGet", "ePVVV",
     "VectorGet <Arreglo.Vector> <P1 índice X> <V1 X> <V2 Y> <V3 Z>", true, kArrays},
    {cmd::VectorSet, "VectorSet", "ePPPP",
     "VectorSet <Arreglo.Vector> <P1 índice X> <P2 X> <P3 Y> <P4 Z>", true, kArrays},
    {cmd::TableDefine, "TableDefine", "?",
     "TableDefine <Arreglo> <Indice inicial> <Elemento> ... <Elemento>", true, kLanguage},
    {cmd::TableDefine2D, "TableDefine2D", "?",
     "TableDefine2D <Arreglo> <Indice X inicial> <Indice Y inicial> <Elemento> ... <Elemento>", true, kLanguage},
    {cmd::TableData, "TableData", "?",
     "TableData <P1 valor> ... <P2 valor> ... <Pn valor>", true, kLanguage},
    {cmd::TableFill, "TableFill", "?",
     "TableFill <P1 cantidad> <P2 valor> ... <P3 valor> ... <Pn valor>", true, kLanguage},
    {cmd::LevelDrawRect, "LevelDrawRect", "lPPPPPPPP",
     "LevelDrawRect <ID Nivel> <P1 capa> <P2 X nivel> <P3 Y nivel> <P4 X mapa de tiles> <P5 Y mapa de tiles> <P6 ancho> <P7 alto> <P8 desplazamiento>", true, kWorld},
    {cmd::LevelGetTile, "LevelGetTile", "lPPV",
     "LevelGetTile <NivelID> <P1 x pos> <P2 Y pos> <V1 índice del tile>", true, kWorld},
    {cmd::LevelScroll, "LevelScroll", "lPPPPPP",
     "LevelScroll <NivelID> <P1 capa> <P2 Pos X antigua> <P3 Pos Y antigua> <P4 Pos X nueva> <P5 Pos Y nueva> <P6  desplazamiento>", true, kWorld},
    {cmd::LevelSetPos, "LevelSetPos", "lPPPP",
     "LevelSetPos <NivelID> <P1 capa> <P2 x pos> <P3 y pos> <P4 desplazamiento>", true, kWorld},
    {cmd::LevelSetTile, "LevelSetTile", "lPPP",
     "LevelSetTile <NivelID> <P1 x pos> <P2 y pos> <P3 datos de tile>", true, kWorld},
    {cmd::LevelGetDimensionX, "LevelGetDimensionX", "lV",
     "LevelGetDimensionX <NivelID> <V1 tamaño en X>", true, kWorld},
    {cmd::LevelGetDimensionY, "LevelGetDimensionY", "lV",
     "LevelGetDimensionY <NivelID> <V1 tamaño en Y>", true, kWorld},
    {cmd::LevelSelectLayer, "LevelSelectLayer", "P",
     "LevelSelectLayer <Capa 0..3>", true, kWorld},
    {cmd::ResourceSetIndex, "ResourceSetIndex", "P",
     "ResourceSetIndex <P1 índice>", true, kResources},
    {cmd::ResourceFileExists, "ResourceFileExists", "rV",
     "ResourceFileExists <RecID> <V1 - resultado>", true, kResources},
    {cmd::ResourceGetSize, "ResourceGetSize", "rV",
     "ResourceGetSize <RecID> <V1 resultado>", true, kResources},
    {cmd::ResourcePeek, "ResourcePeek", "rZPV",
     "ResourcePeek <RecID> <[MemTamaño]> <P1 desplazamiento> <V1 objetivo>", true, kResources},
    {cmd::DisplaySetAttribute, "DisplaySetAttribute", "DP",
     "DisplaySetAttribute <[AtributoVisual]> <P1 valor>", true, kHardware},
    {cmd::DisplaySetMosaic, "DisplaySetMosaic", "MP",
     "DisplaySetMosaic <[atributo de mosaico]> <P1 valor>", true, kHardware},
    {cmd::DisplaySetBlendMode, "DisplaySetBlendMode", "P",
     "DisplaySetBlendMode <P1 modo> - 0: normal, 1: transparencia, 2: iluminar, 3: oscurecer", true, kHardware},
    {cmd::DisplaySetBlendAttribute, "DisplaySetBlendAttribute", "BP",
     "DisplaySetBlendAttribute <[atributo de transparencia]> <P1 valor> - 0:habilitado, 1:deshabilitado", true, kHardware},
    {cmd::DisplaySetBlendAlphaLevel, "DisplaySetBlendAlphaLevel", "PP",
     "DisplaySetBlendAlphaLevel <P1 fuente> <P2 objetivo> - el radio de combinación entre fuente & objetivo es de (0..31) - 16 = 100%", true, kHardware},
    {cmd::DisplaySetBlendTintLevel, "DisplaySetBlendTintLevel", "P",
     "DisplaySetBlendTintLevel <P1 nivel> - nivel de tinta para iluminar/oscurecer (0..31, 16 = 100%)", true, kHardware},
    {cmd::DisplaySetBGRotAttribute, "DisplaySetBGRotAttribute", "PRP",
     "DisplaySetBGRotAttribute <P1 capa> <[atributo de rotación]> <P2 valor>", true, kHardware},
    {cmd::DisplayBGRotateAndScale, "DisplayBGRotateAndScale", "PPPPPPPP",
     "DisplayBGRotateAndScale <P1 capa> <P2 escalaX> <P3 escalaY> <P4 fondo x> <P5 fondo y> <P6 pantalla x> <P7 pantalla y> <P8 ángulo>", true, kHardware},
    {cmd::DisplaySetWindowRegion, "DisplaySetWindowRegion", "PPPPP",
     "DisplaySetWindowRegion <P1 ventana> <P2 izquierda> <P3 superior> <P4 derecha> <P5 inferior> - Ventana:0..1", true, kHardware},
    {cmd::DisplaySetWindowAttribute, "DisplaySetWindowAttribute", "PWP",
     "DisplaySetWindowAttribute <P1 ventana> <[atributo de ventana]> <P2 valor> - Ventana:0..3", true, kHardware},
    {cmd::DisplayGetScanLine, "DisplayGetScanLine", "V",
     "DisplayGetScanLine <V1 resultado> - retorna el actual registro vertical del GBA (es decir, ubicación actual Y en el hardware LCD del GBA)", true, kHardware},
    {cmd::PathGetPos, "PathGetPos", "pPVV",
     "PathGetPos <IDRecorrido> <P1 punto> <V1 X resultado> <V2 Y resultado>", true, kWorld},
    {cmd::PathGetLength, "PathGetLength", "pV",
     "PathGetLength <IDRecorrido> <V1 longitud>", true, kWorld},
    {cmd::PathGetDelta, "PathGetDelta", "pPPVV",
     "PathGetDelta <IDRecorrido> <P1 tiempo antiguo> <P2 tiempo nuevo> <V1 resultado X> <V2 resultado Y>", true, kWorld},
    {cmd::TileDataLoad, "TileDataLoad", "CrPP",
     "TileDataLoad <[ObjetivoPaleta]> <IDRecurso> <P1 índice inicial> <P2 matriz>", true, kResources},
    {cmd::TileDataCycleRect, "TileDataCycleRect", "CdPPPPPPPPP",
     "TileDataCycleRect <[ObjetivoPaleta]> <[Dir]> <modoColor> <P1 índice inicial> <P2 ancho> <P3 matriz> <P4 alto> <P5 Desplazamiento Izquierdo> <P6 DD> <P7 DS> <P8 DI>", true, kHardware},
    {cmd::TileDataChangeColour, "TileDataChangeColour", "CPPPPP",
     "TileDataChangeColour <[ObjetivoPaleta]> <modoColor> <P1 tile inicial> <P2 tile final> <P3 color de búsqueda> <P4 color de reemplazo>", true, kHardware},
    {cmd::TileDataCopyTiles, "TileDataCopyTiles", "CCPPPP",
     "TileDataCopyTiles <[ObjetivoPalFuente]> <[ObjPalDest]> <modoColor> <P1 tile fuente> <P2 tile destino> <P3 cantidad de tiles>", true, kHardware},
    {cmd::TileDataCopyPartialTile, "TileDataCopyPartialTile", "CCPPPPPPP",
     "TileDataCopyPartialTile <[ObjetivoPalFuente]> <[ObjPalDest> <modoColor> <P1 tile fuente> <P2 tile destino> <P3 Desplazamiento Izquierdo> <P4 DD> <P5 DS> <P6 DI>", true, kHardware},
    {cmd::TileDataCopyMaskedTiles, "TileDataCopyMaskedTiles", "CCPPPPPPPP",
     "TileDataCopyMaskedTiles <Objetivo fuente> <Objetivo destino> <P1 - modo de color> <P2 - tile fuente> <P3 - tile destino> <P4 - Tile máscara> <P5 - Cantidad> <P6 Color de copia> <P7 Color a ignorar> <P8 Color de mezcla>", true, kHardware},
    {cmd::TileDataFillTiles, "TileDataFillTiles", "CPPPP",
     "TileDataFillTiles <[ObjetivoPaleta]> <modoColor> <P1 tileinicial> <P2 cantidad de tiles> <P3 valor>", true, kHardware},
    {cmd::TileDataPixelSet, "TileDataPixelSet", "CPPPPP",
     "TileDataPixelSet <[ObjetivoPaleta]> <modoColor> <P1 índicetile> <P2 X> <P3 Y> <P4 Valor>", true, kHardware},
    {cmd::TileDataPixelGet, "TileDataPixelGet", "CPPPPV",
     "TileDataPixelGet <[ObjetivoPaleta]> <modoColor> <P1 índicetile> <P2 X> <P3 Y> <V1 Objetivo>", true, kHardware},
    {cmd::TilelistGroupLoad, "TilelistGroupLoad", "tCPP",
     "TilelistGroupLoad <ID ListadeTiles> <[PaletaObjetivo]> <P1 Grupo> <P2 desplazamiento>", true, kWorld},
    {cmd::TilelistGetAttrib, "TilelistGetAttrib", "tPPPPV",
     "TilelistGetAttrib <ID ListadeTiles> <P1 Grupo> <P2 Imagen=0, Tile=1> <P3 Atrib 0..3> <P4 índice de tile> <V1 Resultado>", true, kWorld},
    {cmd::TilelistCopyAttribToCollide, "TilelistCopyAttribToCollide", "tPPPP",
     "TilelistCopyAttribToCollide <ID ListadeTiles> <P1 Grupo> <P2 Imagen=0, Tile=1> <P3 Atrib 0..3> <P4 desplazamiento>", true, kWorld},
    {cmd::TilelistCopyAttribToArray, "TilelistCopyAttribToArray", "tPPPPeP",
     "TilelistCopyAttribToArray <ID ListadeTiles> <P1 Grupo> <P2 Imagen=0, Tile=1> <P3 Atrib 0..3> <P4 desplazamiento> <Arreglo1D.Elemento> <P5 índice inicial>", true, kWorld},
    {cmd::TileMapLoad, "TileMapLoad", "PrPP",
     "TileMapLoad <P1 capa> <IDRecurso> <P2 desplazamiento X> <P3 desplazamiento Y>", true, kResources},
    {cmd::TileMapGetAttribute, "TileMapGetAttribute", "PPPmV",
     "TileMapGetAttribute <P1 capa> <P1 X> <P2 Y> <[atributo]> <V1 objetivo>", true, kHardware},
    {cmd::TileMapSetAttribute, "TileMapSetAttribute", "PPPmP",
     "TileMapSetAttribute <P1 capa> <P1 X> <P2 Y> <[atributo]> <P3 valor>", true, kHardware},
    {cmd::TileMapFillRect, "TileMapFillRect", "PmPPPPP",
     "TileMapFillRect <P1 capa> <[atributo]> <P1 X> <P2 Y> <P3 ancho> <P4 alto> <P5 valor>", true, kHardware},
    {cmd::TileMapCopyRect, "TileMapCopyRect", "PPmPPPPPP",
     "TileMapCopyRect <P1 capa fuente> <P2 capa destino> <[atributo]> <P3 X fuente> <P4 Y fuente> <P5 X destino> <P6 Y destino> <P7 ancho> <P8 alto>", true, kHardware},
    {cmd::TileMapIncRect, "TileMapIncRect", "PmPPPPP",
     "TileMapIncRect <P1 capa> <[atributo]> <P1 X> <P2 Y> <P3 ancho> <P4 alto> <P5 valor>", true, kHardware},
    {cmd::TileMapSetMapBank, "TileMapSetMapBank", "PP",
     "TileMapSetMapBank <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetTileBank, "TileMapSetTileBank", "PP",
     "TileMapSetTileBank <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetPriority, "TileMapSetPriority", "PP",
     "TileMapSetPriority <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetColourMode, "TileMapSetColourMode", "PP",
     "TileMapSetColourMode <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetOffsetX, "TileMapSetOffsetX", "PP",
     "TileMapSetOffsetX <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetOffsetY, "TileMapSetOffsetY", "PP",
     "TileMapSetOffsetY <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetSize, "TileMapSetSize", "PP",
     "TileMapSetSize <P1 capa> <P2 valor>", true, kHardware},
    {cmd::TileMapSetMosaic, "TileMapSetMosaic", "PP",
     "TileMapSetMosaic <P1 capa> <P2 señal> - 0: deshabilitado, 1: habilitado", true, kHardware},
    {cmd::TileMapSetTiled, "TileMapSetTiled", "PP",
     "TileMapSetTiled <P1 capa> <P2 señal> - 0: deshabilitado, 1: habilitado", true, kHardware},
    {cmd::PaletteLoad, "PaletteLoad", "CrP",
     "PaletteLoad <[ObjetivoPaleta]> <RecID> <P1 índice de la paleta (solo en modo 16 colores)> ", true, kResources},
    {cmd::PaletteCycle, "PaletteCycle", "CPP",
     "PaletteCycle <[ObjetivoPaleta]> <P1 primer color> <P2 último color>", true, kHardware},
    {cmd::PaletteGetR, "PaletteGetR", "CPV",
     "PaletteGetR <[ObjetivoPaleta]> <P1 índice> <V1 objetivo>", true, kHardware},
    {cmd::PaletteGetG, "PaletteGetG", "CPV",
     "PaletteGetG <[ObjetivoPaleta]> <P1 índice> <V1 objetivo>", true, kHardware},
    {cmd::PaletteGetB, "PaletteGetB", "CPV",
     "PaletteGetB <[ObjetivoPaleta]> <P1 índice> <V1 objetivo>", true, kHardware},
    {cmd::PaletteSetR, "PaletteSetR", "CPP",
     "PaletteSetR <[ObjetivoPaleta]> <P1 índice> <P2 valor>", true, kHardware},
    {cmd::PaletteSetG, "PaletteSetG", "CPP",
     "PaletteSetG <[ObjetivoPaleta]> <P1 índice> <P2 valor>", true, kHardware},
    {cmd::PaletteSetB, "PaletteSetB", "CPP",
     "PaletteSetB <[ObjetivoPaleta]> <P1 índice> <P2 valor>", true, kHardware},
    {cmd::PaletteGetColour, "PaletteGetColour", "CPV",
     "PaletteGetColour <[ObjetivoPaleta]> <P1 índice> <V1 objetivo>", true, kHardware},
    {cmd::PaletteSetColour, "PaletteSetColour", "CPP",
     "PaletteSetColour <[ObjetivoPaleta]> <P1 índice> <P2 {R,G,B}>", true, kHardware},
    {cmd::SpriteSetAttribute, "SpriteSetAttribute", "POP",
     "SpriteSetAttribute <P1 índicesprite> <[AtributoSprite]> <P2 valor>", true, kHardware},
    {cmd::SpriteGetAttribute, "SpriteGetAttribute", "POV",
     "SpriteGetAttribute <P1 índicesprite> <[AtributoSprite]> <V1 objetivo>", true, kHardware},
    {cmd::RotateSetValue, "RotateSetValue", "PTP",
     "RotateSetValue <P1 banco de Rotación> <[AtributoRot]> <P2 valor>", true, kHardware},
    {cmd::RotateAndScale, "RotateAndScale", "PPP",
     "RotateAndScale <P1 banco de Rotación> <P2 ángulo> <P3 escala>", true, kHardware},
    {cmd::DrawLine, "DrawLine", "PPPPP",
     "DrawLine <P1 x1> <P2 y1> <P3 x2> <P4 y2> <P5 color>", true, kHardware},
    {cmd::DrawTriangle, "DrawTriangle", "PPPPPPP",
     "DrawTriangle <P1 x1> <P2 y1> <P3 x2> <P4 y2> <P5 x3> <P6 y3> <P7 color>", true, kHardware},
    {cmd::DrawSetColour, "DrawSetColour", "PPPV",
     "DrawSetColour <P1 rojo> <P2 verde> <P3 azul> <V1 objetivo>", true, kHardware},
    {cmd::CollideSetTileProperty, "CollideSetTileProperty", "PP",
     "CollideSetTileProperty <P1 índice> <P2 propiedad>", true, kHardware},
    {cmd::CollideTestRegionVrsTiles, "CollideTestRegionVrsTiles", "PPPPPPV",
     "CollideTestRegionVrsTiles <P1 capa> <P2 x> <P3 y> <P4 ancho> <P5 alto> <P6 &propiedad> <V1 objetivo>", true, kHardware},
    {cmd::CollideTestSpriteVrsTiles, "CollideTestSpriteVrsTiles", "PPPPPV",
     "CollideTestSpriteVrsTiles <P1 ID del sprite> <P2 capa> <P3 &propiedad> <V1 objetivo>", true, kHardware},
    {cmd::CollideTestRegionVrsSprite, "CollideTestRegionVrsSprite", "PPPPPV",
     "CollideTestRegionVrsSprite <P1 ID del sprite> <P2 x> <P3 y> <P4 ancho> <P5 alto> <V1 objetivo>", true, kHardware},
    {cmd::CollideTestSpriteVrsSprite, "CollideTestSpriteVrsSprite", "PPV",
     "CollideTestSpriteVrsSprite <P1 ID de sprite1> <P2 ID de sprite2> <V1 objetivo>", true, kHardware},
    {cmd::StringDisplay, "StringDisplay", "PPs",
     "StringDisplay <P1 x> <P2 y> <IDCadena>", true, kWorld},
    {cmd::StringDisplayValue, "StringDisplayValue", "PPPP",
     "StringDisplayValue <P1 x> <P2 y> <P3 mínimo de dígitos> <P4 valor>", true, kWorld},
    {cmd::StringDisplayPartial, "StringDisplayPartial", "PPPPs",
     "StringDisplayPartial <P1 x> <P2 y> <P3 desplazamiento inicial> <P4 desplazamiento final> <IDCadena>", true, kWorld},
    {cmd::StringDisplayCharacter, "StringDisplayCharacter", "PPP",
     "StringDisplayCharacter <P1 x> <P2 y> <P4 valor>", true, kWorld},
    {cmd::StringDisplaySetTarget, "StringDisplaySetTarget", "PfP",
     "StringDisplaySetTarget <P1 capa> <recurso Mapa de Fuente> <P2 tile inicial>", true, kWorld},
    {cmd::StringDisplaySetFlags, "StringDisplaySetFlags", "PPPP",
     "StringDisplaySetFlags <P1 señal horizontal activa> <P2 valor de señal horizontal> <P3 señal vertical activa> <P4 valor de señal vertical>", true, kWorld},
    {cmd::StringDisplaySetColour, "StringDisplaySetColour", "PP",
     "StringDisplaySetColour <P1 paleta activa> <P2 valor de paleta>", true, kWorld},
    {cmd::StringGetLanguage, "StringGetLanguage", "V",
     "StringGetLanguage <V1 resultado> - el identificador del lenguaje actual se copia dentro de V1", true, kWorld},
    {cmd::StringSetLanguage, "StringSetLanguage", "P",
     "StringSetLanguage <P1 ID del idioma> - fija el lenguaje actual", true, kWorld},
    {cmd::StringGetLength, "StringGetLength", "s",
     "<V1 longitud> StringGetLength <IDCadena>", true, kWorld},
    {cmd::StringGetCharacter, "StringGetCharacter", "PPV",
     "StringGetCharacter <IDCadena> <P1 desplazamiento> <V1 valor del carácter>", true, kWorld},
    {cmd::StringRenderSetTarget, "StringRenderSetTarget", "PPPPPPPP",
     "StringRenderSetTarget <P1 tile objetivo> <P2 reiniciar índice> <P3 borrar tiles> <P4 sobre mapa de tiles> <P5 modo de color> <P6 desp X> <P7 desp Y> <P8 espaciado>", true, kWorld},
    {cmd::StringRenderGetInfo, "StringRenderGetInfo", "VVV",
     "StringRenderGetInfo <V1 índice de tile> <V2 tile X> <V3 píxel X>", true, kWorld},
    {cmd::MusicPlay, "MusicPlay", "r",
     "MusicPlay <Recurso musical>", true, kSound},
    {cmd::MusicStop, "MusicStop", "",
     "MusicStop", true, kSound},
    {cmd::SoundPlay, "SoundPlay", "r",
     "SoundPlay <Recurso sonoro> - utiliza el primer canal para efectos disponible", true, kSound},
    {cmd::SoundExPlay, "SoundExPlay", "rPPPPPPPPPV",
     "SoundExPlay <Recurso sonoro> <P1 Frecuencia> <P2 Balance> <P3 Volumen> <P4 Curva Tonal> <P5 Tipo de Bucle> <P6 Cantidad de Bucles> <P7 Inicio del Bucle> <P8 Fin del Bucle> <V1 ID del Canal>", true, kSound},
    {cmd::SoundSetProperties, "SoundSetProperties", "PPPPPPPPP",
     "SoundSetProperties <P1 ID del Canal> <P2 Frecuencia> <P3 Balance> <P4 Volumen> <P5 Curva Tonal> <P6 Tipo de Bucle> <P7 Cantidad de Bucles> <P8 Inicio del Bucle> <P9 Fin del Bucle>", true, kSound},
    {cmd::Function, "Function", "?",
     "Function <nombre de la función> <cantidad de parámetros esperados>", false, kLanguage},
    {cmd::FunctionGlobal, "FunctionGlobal", "?",
     "FunctionGlobal <nombre de la función> <cantidad de parámetros esperados> - Declara una función la cual puede llamarse desde cualquier guión del proyecto sin que se declare como externa", false, kLanguage},
    {cmd::ExternFunction, "ExternFunction", "?",
     "ExternFunction <\"nombre del archivo\"> <nombre de la función>", false, kLanguage},
    {cmd::ExternScript, "ExternScript", "?",
     "ExternScript <\"nombre del archivo\">", false, kLanguage},
    {cmd::ApplyGlobalSet, "ApplyGlobalSet", "?",
     "ApplyGlobalSet <juego de nombres> - hace que el guión utilice nombres globales diferentes a los predeterminados", false, kLanguage},
    {cmd::Define, "##", "?",
     "##<nombre de la definición> <valor>", false, kLanguage},
    {cmd::Assert, "Assert", "PLP",
     "Assert <P1> <LOP> <P2> - genera un error si la comprobación falla", true, kLanguage},
    {cmd::Log, "Log", "?",
     "Log \"cadena de texto estilo printf\" param1..paramN - da formato y envía una línea de texto a las notas", true, kLanguage},
    {cmd::LogFile, "LogFile", "?",
     "LogFile \"archivo\" \"cadena de texto estilo printf\" param1..paramN - da formato y escribe texto en un archivo", true, kLanguage},
    {cmd::DebugIsKeyPressed, "DebugIsKeyPressed", "PV",
     "DebugIsKeyPressed <P1 valor de tecla> <V1 resultado> - 0: no presionada, 1: presionada", true, kLanguage},
    {cmd::DebugGetMousePosition, "DebugGetMousePosition", "VV",
     "DebugGetMousePosition <V1 Pos X del cursor> <V2 Pos Y del cursor> (-1,-1) no está sobre la ventana del emulador", true, kLanguage},
};

static_assert(std::size(kCommands) == 187);

// Command number -> position in kCommands (-1 when the number is unused),
// and the input operand count that its letters give.
struct IndexById {
  std::array<std::int16_t, kCommandIdLimit> slot{};
  std::array<std::int8_t, kCommandIdLimit> inputs{};
  constexpr IndexById() {
    for (auto& s : slot) s = -1;
    for (auto& n : inputs) n = -1;
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
      const auto id = static_cast<std::size_t>(kCommands[i].id);
      slot[id] = static_cast<std::int16_t>(i);
      const std::string_view letters = kCommands[i].operands;
      if (letters == "?") continue;
      int count = 0;
      for (char c : letters)
        if (c != 'V') ++count;
      inputs[id] = static_cast<std::int8_t>(count);
    }
  }
};
constexpr IndexById kIndexById;

}  // namespace

std::span<const CommandInfo> CommandTable() { return kCommands; }

const CommandInfo* FindCommandInfo(CommandId id) {
  if (id < 0 || id >= kCommandIdLimit) return nullptr;
  const int slot = kIndexById.slot[static_cast<std::size_t>(id)];
  return slot < 0 ? nullptr : &kCommands[slot];
}

CommandGroup GroupOf(CommandId id) {
  const CommandInfo* info = FindCommandInfo(id);
  return info ? info->group : CommandGroup::Language;
}

int InputOperandCount(CommandId id) {
  return (id >= 0 && id < kCommandIdLimit) ? kIndexById.inputs[static_cast<std::size_t>(id)] : -1;
}

std::string_view OperandKinds(CommandId id) {
  const CommandInfo* info = FindCommandInfo(id);
  return info ? info->operands : "";
}

std::string_view CommandName(CommandId id) {
  const CommandInfo* info = FindCommandInfo(id);
  return info ? info->name : "";
}

std::string_view CommandSignature(CommandId id) {
  const CommandInfo* info = FindCommandInfo(id);
  return info ? info->signature : "";
}

bool IsNamePunctuation(char c) {
  switch (c) {
    case '"': case '#': case '&': case '\'': case '*': case '+': case '-':
    case '.': case '/': case ':': case ';': case '=': case '@': case '[':
    case '\\': case ']': case '{': case '|': case '}':
      return true;
    default:
      return false;
  }
}

bool NameMatchesAt(std::string_view text, std::size_t pos, std::string_view name) {
  if (name.empty() || pos > text.size() || text.size() - pos < name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (toLowerAscii(text[pos + i]) != toLowerAscii(name[i])) return false;
  if (IsNamePunctuation(name.back())) return true;
  const std::size_t after = pos + name.size();
  return after == text.size() || isBlank(text[after]) || IsNamePunctuation(text[after]);
}

CommandId LookupCommand(std::string_view text, std::size_t pos, std::size_t& length) {
  for (const CommandInfo& info : kCommands) {
    if (NameMatchesAt(text, pos, info.name)) {
      length = std::string_view(info.name).size();
      return info.id;
    }
  }
  length = 0;
  return cmd::UndefinedCommand;
}

std::string HelpTopic(CommandId id) {
  if (id >= cmd::If && id <= cmd::IfAndEqual) return "commands/command_If";
  if (id >= cmd::While && id <= cmd::WhileLessOrEqual) return "commands/command_While";
  if ((id >= cmd::AddTo && id <= cmd::RandomUpTo) || id == cmd::Sqrt || id == cmd::Abs)
    return "commands/command_Algo";
  if (id == cmd::Define) return "Language Structure3";
  if (id == cmd::MacroCall) return "Language Structure2";
  const CommandInfo* info = FindCommandInfo(id);
  if (!info) return "Commands";
  return std::string("commands/command_") + info->name;
}

int DeprecatedOperator(CommandId id) {
  // Operator indices: 0 ==, 1 !=, 2 >, 3 >=, 4 <, 5 <=, 6 %=, 7 &=, 8 >=<, 9 <>.
  switch (id) {
    case cmd::IfEqual: case cmd::WhileEqual: return 0;
    case cmd::IfNotEqual: case cmd::WhileNotEqual: return 1;
    case cmd::IfGreater: case cmd::WhileGreater: return 2;
    case cmd::IfGreaterOrEqual: case cmd::WhileGreaterOrEqual: return 3;
    case cmd::IfLess: case cmd::WhileLess: return 4;
    case cmd::IfLessOrEqual: case cmd::WhileLessOrEqual: return 5;
    case cmd::IfModEqual: return 6;
    case cmd::IfAndEqual: return 7;
    case cmd::IfBetweenOrEqual: return 8;
    case cmd::IfOutside: return 9;
    default: return -1;
  }
}

bool AllowedInMacro(CommandId id) {
  if (id == cmd::MacroCall) return false;
  const CommandInfo* info = FindCommandInfo(id);
  return info ? info->inMacro : true;
}

bool TakesLeadingVariable(CommandId id) {
  return (id >= cmd::AddTo && id <= cmd::Qdist) || id == cmd::StringGetLength;
}

bool OpensBlock(CommandId id) {
  return (id >= cmd::If && id <= cmd::IfAndEqual) || (id >= cmd::While && id <= cmd::WhileLessOrEqual);
}

}  // namespace tarvolin::script
