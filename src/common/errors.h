// Errors of the script language: every numbered code with its name and its
// fixed Spanish message, and the current error of an interpreter context (one
// per workbench, no globals). The bottom of the layer plan: every subsystem
// that reports script-level failures includes this.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin {

using ErrorCode = std::int32_t;

// X(name, code, message): one row per code, in code order. Codes 9, 187 and
// 188 are set by the interpreter but have no message ("Unknown error!").
// Codes 6 and 165 keep their trailing blank.
// clang-format off
#define TARVOLIN_ERROR_LIST(X) \
  X(kNone, 0, "Nada") \
  X(kExtraText, 1, "Texto adicional sobre la línea") \
  X(kMissingParameters, 2, "Parámetros insuficientes") \
  X(kUnknownCommand, 3, "No existe tal comando") \
  X(kUnknownParameter, 4, "No existe tal parámetro") \
  X(kUndefinedFunction, 5, "Función no definida") \
  X(kMisplacedElse, 6, "Else mal ubicado ") \
  X(kMisplacedEnd, 7, "End mal ubicado") \
  X(kCallStackFull, 8, "Se alcanzo el límite para la pila de funciones") \
  X(kTooManyBlocks, 9, nullptr) \
  X(kVariableExpected, 10, "Se esperaba variable y se hallo una inmediata") \
  X(kWrongArgumentCount, 11, "Número de parámetros para la función incorrectos") \
  X(kImmediateOutOfRange, 12, "Inmediata fuera de los límites") \
  X(kAddressOfImmediate, 13, "No puede tomarse la dirección desde una inmediata") \
  X(kFunctionIndexOutOfRange, 14, "El índice que identifica a la función está fuera de rango") \
  X(kNestedIteration, 15, "No pueden usarse comandos de iteración se forma repetida (aun...)") \
  X(kIterationFunctionUnknown, 16, "Función desconocida, no puede proseguir la iteración") \
  X(kIterationFunctionParameters, 17, "La función espera un número de parámetros diferentes") \
  X(kMissingResourceName, 18, "Falta el nombre del Recurso") \
  X(kUnknownResource, 19, "Recurso desconocido o mal escrito") \
  X(kResourceIndexOutOfRange, 20, "El índice que identifica al recurso está fuera del rango") \
  X(kResourceRangeTooSmall, 21, "El rango del recurso está por debajo del actual ID del recurso (incrementar rango del recurso)") \
  X(kMissingFontMapName, 22, "Falta el nombre del Mapa de Fuente") \
  X(kUnknownFontMap, 23, "Mapa de Fuente desconocido o mal escrito") \
  X(kFontMapNotSet, 24, "Mapa de Fuente no configurado") \
  X(kFontMapIndexOutOfRange, 25, "El índice que identifica al Mapa de Fuentes está fuera de rango") \
  X(kMissingStringId, 26, "Falta el nombre del ID de la Cadena") \
  X(kUnknownStringId, 27, "ID de la cadena desconocido o mal escrito") \
  X(kStringIndexOutOfRange, 28, "El índice que identifica a la Cadena está fuera de rango") \
  X(kMissingTileListName, 29, "Falta el nombre de la Lista de Tiles") \
  X(kUnknownTileList, 30, "Lista de Tiles desconocida o mal escrita") \
  X(kTileListIndexOutOfRange, 31, "El índice que identifica a la lista de tiles está fuera de rango") \
  X(kBadOperator, 32, "Falta operador o es ilegal") \
  X(kElseAtLevelZero, 33, "Es ilegal una declaración Else en el nivel de pila 0") \
  X(kElseInWhile, 34, "Es ilegal una declaración Else dentro de un bucle While") \
  X(kBreakAtLevelZero, 35, "Es ilegal una declaración Break en el nivel de pila 0") \
  X(kLeadingVariableExpected, 36, "Se esperaba una variable a la izquierda, pero no se encontró") \
  X(kLeadingImmediate, 37, "El parámetro a la izquierda debe ser una variable, no una inmediata") \
  X(kUnknownGlobal, 38, "Variable global no hallada en la lista (¿falta G_?)") \
  X(kUnknownParameterPrefix, 39, "Prefijo de parámetro de función desconocido") \
  X(kUnknownParameterSuffix, 40, "Sufijo de parámetro de función desconocido") \
  X(kInitialiseWithParameters, 41, "La función -Initialise- no debe tener parámetros") \
  X(kFlagExpected, 42, "Valor esperado 0..1 (verdadero/activo o falso/inactivo)") \
  X(kEndOfFileNeedsReturn, 43, "Fin de archivo alcanzado - se necesita Retorno") \
  X(kUnknownDefinition, 45, "Definición no conocida") \
  X(kFunctionWithoutReturn, 46, "Función sin retorno") \
  X(kFunctionMissingEnd, 47, "Función completa, aunque falta una declaración END") \
  X(kOperatorNeedsTwo, 48, "Operador requiere dos parámetros") \
  X(kBadDefinitionExtension, 49, "Extensión de definición ilegal") \
  X(kNegativeVariable, 50, "Son ilegales variables negativas") \
  X(kBadLanguage, 51, "Tipo de lenguaje inválido - utilice los enumeradores de cada #_LANG_XX") \
  X(kBreakLevelOutOfRange, 52, "El nivel de Break debe ser 0..16") \
  X(kBreakTooDeep, 53, "No se pueden interrumpir más niveles lógicos de los que haya anidados") \
  X(kBadExtensionOperator, 54, "Operador de variable extendida no soportado - solo permitido + - *") \
  X(kBadExtensionFormat, 55, "Mal formato para una variable extendida - es decir, V_LV0+7 (sin espacios)") \
  X(kExtensionOutOfRange, 56, "Valor de variable extendida fuera de los límites (debe estar dentro del rango 1..32)") \
  X(kMissingDisplayAttribute, 57, "No se halló atributo de visualización") \
  X(kMalformedDisplayAttribute, 58, "Atributo de visualización de forma incorrecta") \
  X(kUnknownDisplayAttribute, 59, "Atributo de visualización desconocido") \
  X(kDisplayAttributeOutOfRange, 60, "Atributo de visualización fuera de los límites") \
  X(kMissingMosaicAttribute, 61, "No se halló el Atributo de Mosaico") \
  X(kMalformedMosaicAttribute, 62, "Atributo de Mosaico de forma incorrecta") \
  X(kUnknownMosaicAttribute, 63, "Atributo de Mosaico desconocido") \
  X(kMosaicAttributeOutOfRange, 64, "Atributo de Mosaico fuera de los límites") \
  X(kMissingBlendAttribute, 65, "No se halló el Atributo de Transparencia") \
  X(kMalformedBlendAttribute, 66, "Atributo de Transparencia de forma incorrecta") \
  X(kUnknownBlendAttribute, 67, "Atributo de Transparencia desconocido") \
  X(kBlendAttributeOutOfRange, 68, "Atributo de Transparencia fuera de los límites") \
  X(kBadRotationLayer, 69, "Capa Rotatoria Ilegal (0 = fondo2, 1 = fondo3)") \
  X(kMissingRotationLayerAttribute, 70, "No se halló el Atributo del Fondo Rotatorio") \
  X(kMalformedRotationLayerAttribute, 71, "Atributo del Fondo Rotatorio de forma incorrecta") \
  X(kUnknownRotationLayerAttribute, 72, "Atributo del Fondo Rotatorio desconocido") \
  X(kRotationLayerAttributeOutOfRange, 73, "Atributo del Fondo Rotatorio fuera de los límites") \
  X(kBadWindow, 74, "Ventana Ilegal (0..1 para región, 0..3 para atributo)") \
  X(kMissingWindowAttribute, 75, "No se halló atributo de ventana") \
  X(kMalformedWindowAttribute, 76, "Atributo de Ventana de forma incorrecta") \
  X(kUnknownWindowAttribute, 77, "Atributo de Ventana desconocido") \
  X(kWindowAttributeOutOfRange, 78, "Atributo de Ventana fuera de los límites") \
  X(kSpriteIndexOutOfRange, 79, "Índice de Sprite fuera de los límites (debe ser entre 0..127)") \
  X(kMissingSpriteAttribute, 80, "Atributo del Sprite no hallado") \
  X(kMalformedSpriteAttribute, 81, "Atributo del Sprite de forma incorrecta") \
  X(kUnknownSpriteAttribute, 82, "Atributo del Sprite desconocido") \
  X(kSpriteAttributeOutOfRange, 83, "Atributo del Sprite fuera de los límites") \
  X(kMalformedRotationAttribute, 84, "Atributo de rotación de forma incorrecta") \
  X(kRotationIndexOutOfRange, 85, "Índice de rotación fuera de los límites (debe ser entre 0..31)") \
  X(kRotationScaleOutOfRange, 86, "Parámetro de Rotar/Escalar fuera de los límites (¿cero ilegal?)") \
  X(kScreenMapIndexOutOfRange, 87, "Índice del Mapa de Pantalla fuera de los límites (debe ser entre 0..3)") \
  X(kScreenMapTileOutOfRange, 88, "Índice de tile del Mapa de Pantalla fuera de los límites - (debe ser 0..1023)") \
  X(kMissingScreenMapAttribute, 89, "Falta el atributo del Mapa de Pantalla [xx]") \
  X(kMalformedScreenMapAttribute, 90, "Atributo del Mapa de Pantalla de forma incorrecta (¿faltan [ ]?)") \
  X(kUnknownScreenMapAttribute, 91, "Atributo del Mapa de Pantalla desconocido") \
  X(kScreenMapAttributeOutOfRange, 92, "Atributo del Mapa de Pantalla fuera de los límites") \
  X(kScreenMapXOutOfRange, 93, "Coordenada X del Mapa de Pantalla fuera de los límites") \
  X(kScreenMapYOutOfRange, 94, "Coordenada Y del Mapa de Pantalla fuera de los límites") \
  X(kBadRotationType, 95, "Falta tipo de rotación o es desconocida : [arriba]") \
  X(kTileAttributeOutOfRange, 96, "Atributo de Tile fuera de los límites") \
  X(kShiftOutOfRange, 97, "Desplazamiento fuera de límite (solo de 0..7)") \
  X(kPaletteIndexOutOfRange, 98, "Índice de Paleta fuera de los límites (debe ser entre 0..15)") \
  X(kMissingPaletteAttribute, 99, "Atributo de Paleta no hallado") \
  X(kMalformedPaletteAttribute, 100, "Atributo de Paleta de forma incorrecta") \
  X(kUnknownPaletteAttribute, 101, "Atributo de Paleta desconocido") \
  X(kPaletteColourOutOfRange, 102, "Color de Paleta fuera de los límites") \
  X(kMalformedAttribute, 103, "Atributo requerido de forma incorrecta '[atributo]'") \
  X(kUnknownAttribute, 104, "Atributo desconocido") \
  X(kNotMusicResource, 105, "El recurso a reproducirse debe ser de tipo MOD o XM") \
  X(kMusicPlayFailed, 106, "Falló la reproducción (falta el recurso, mal formato del MOD/XM, o error interno)") \
  X(kNotWavResource, 107, "El recurso no es de formato .WAV") \
  X(kSoundPlayFailed, 108, "Fallo al reproducir sonido (¿error en el recurso?)") \
  X(kNoFreeChannel, 109, "No hay canales de sonido libres") \
  X(kSoundChannelOutOfRange, 110, "Valor para el canal de sonido fuera de los límites (0..31, -1 = cualquiera)") \
  X(kSoundFrequencyOutOfRange, 111, "Valor para la frecuencia del sonido fuera de los límites (1..450Khz)") \
  X(kSoundPitchBendOutOfRange, 112, "Valor para la curva tonal del sonido fuera de los límites (-450Khz..450Khz). La 'curva tonal + la frecuencia' deben estar dentro de 1..450Khz") \
  X(kSoundVolumeOutOfRange, 113, "Valor para el volumen del sonido fuera de los límites (0 = mínimo, 64 = máximo)") \
  X(kSoundBalanceOutOfRange, 114, "Valor para el balance estereofónico del sonido fuera de los límites (0 = todo izquierada, 128 = centro, 255 = todo derecha)") \
  X(kSoundLoopTypeUnknown, 115, "Tipo de bucle desconocido (0 = hacia adelante y comenzar, 1 = hacia adelante y luego hacia atrás)") \
  X(kSoundLoopCountInvalid, 116, "Cantidad de bucles inválida (-1 = infinita, 0 = reproducir todo, 1..30000 cantidad)") \
  X(kSoundLoopStartInvalid, 117, "Inicio del bucle inválido (0 para comenzar desde el principio de la muestra)") \
  X(kSoundLoopEndInvalid, 118, "Fin del bucle inválido (0..1MB desplazamiento dentro de la muestra de sonido, 0 para terminar en el final de la muestra)") \
  X(kCollisionIndexInvalid, 119, "Índice de arreglo de colisión inválido (0..1023)") \
  X(kCollisionValueNotByte, 120, "Los arreglos de colisión solo pueden albergar bytes (valor 0..255)") \
  X(kMissingPathName, 121, "Falta el nombre del Recorrido") \
  X(kUnknownPath, 122, "Nombre del Recorrido desconocido o mal escrito") \
  X(kPathIndexOutOfRange, 123, "El índice que identifica al Recorrido está fuera de rango") \
  X(kMissingArrayName, 124, "Falta el nombre del Arreglo") \
  X(kUnknownArray, 125, "Nombre del Arreglo desconocido o mal escrito") \
  X(kBadArrayElementFormat, 126, "Formato para el elemento del arreglo incorrecto 'Arreglo.Elemento'") \
  X(kUnknownArrayElement, 127, "No se encontró el elemento en la definición del arreglo") \
  X(kArrayIndexOutOfRange, 128, "El índice está fuera de los límites del arreglo") \
  X(kBadSortRange, 129, "Rango inválido para ordenar") \
  X(kWrongArrayDimensions, 130, "Tipo de arreglo para la función ilegal (es decir, 2D en lugar de 1D)") \
  X(kDirect3DAccess, 131, "No se puede acceder directamente a elementos de tipo 3D") \
  X(kWrong3DType, 132, "Se ha pasado un tipo 3D incorrecto (es decir, 3DMatrix en lugar de 3DVector)") \
  X(kArraySaveCancelled, 133, "Guardar Arreglo cancelado") \
  X(kArrayLoadFailed, 134, "Ocurrió un error de archivo mientras se cargaba el arreglo") \
  X(kArraySaveFailed, 135, "Ocurrió un error de archivo mientras se guardaba el arreglo") \
  X(kArrayFileSizeMismatch, 136, "El tamaño del archivo no coincide con el tamaño del arreglo") \
  X(kArrayReadOnly, 137, "No se puede modificar la tabla, los datos están guardados en la ROM") \
  X(kArraySizesDiffer, 138, "No se pueden copiar arreglos - tamaños diferentes") \
  X(kTripleOperatorInSearch, 139, "Los comandos para buscar dentro de arreglos no pueden utilizar operadores ternarios (ej. >=< o <>)") \
  X(kMisaligned, 140, "Mala alineación de memoria en los arreglos del sistema") \
  X(kBadArrayId, 141, "El valor no corresponde a un ID de arreglo válido") \
  X(kSystemArrayToVariable, 142, "Los arreglos de sistema no pueden ser asignados a una variable") \
  X(kArrayElementToVariable, 143, "No se puede asignar a una variable el par Arreglo/Elemento") \
  X(kBadArrayVariableFormat, 144, "Mal formato de la variable de arreglo : Arreglo.Elemento[Índice]") \
  X(kArrayVariableArrayLimit, 145, "Solo pueden ser referenciados con variables los primeros 256 arreglos") \
  X(kArrayVariableElementLimit, 146, "Solo pueden ser referenciados con variables los primeros 256 elementos de cualquier arreglo") \
  X(kArrayVariableExtensionLimit, 147, "Las extensiones para variables de arreglo se limitan a +/- 1..4") \
  X(kArrayVariableImmediateLimit, 148, "Solo pueden usarse inmediatas 0..1023 para referenciar en una variable de arreglo") \
  X(kArrayVariableIndexKind, 149, "Solo pueden usarse variables básicas para referenciar en una variable de arreglo (V_,R_,E_,Globales)") \
  X(kArrayVariableNot1D, 150, "Solo pueden usarse arreglos 1D como variable de arreglo") \
  X(kArrayVariableIndexOutOfRange, 151, "El índice especificado (valor de variable posible) está fuera de los límites del arreglo") \
  X(kMissingMemSizeAttribute, 152, "No se halló Atributo de MemTamaño [xx]") \
  X(kMalformedMemSizeAttribute, 153, "Atributo de MemTamaño de forma incorrecta (faltan [ ]?)") \
  X(kUnknownMemSizeAttribute, 154, "Atributo de MemTamaño desconocido") \
  X(kWrongResourceKind, 155, "Tiempos de Ejecución - el tipo del recurso especificado no puede usarse para esta operación") \
  X(kResourceFile, 156, "Tiempos de Ejecución - error al manipular el archivo de recurso") \
  X(kCannotDecodeResource, 157, "Tiempos de Ejecución - el tipo de recurso no se puede decodificar") \
  X(kUnsupportedImageFormat, 158, "Tiempos de Ejecución - el tipo de recurso no soporta el formato de imagen especificado en el comando actual") \
  X(kMacroResourceIndexOutOfRange, 159, "Tiempos de Ejecución - el índice del recurso pasado a la macro está fuera del rango") \
  X(kFileMissing, 160, "Tiempos de Ejecución - el archivo no existe") \
  X(kRangeFileMissing, 161, "Tiempos de Ejecución - el archivo no existe - posible índice de recuso ilegal") \
  X(kMalformedQuote, 162, "Carácter 'comillas' de forma incorrecta") \
  X(kMalformedInteger, 163, "Valor entero de forma incorrecta") \
  X(kMalformedBinary, 164, "Valor binario de forma incorrecta") \
  X(kMalformedRgb, 165, "RGB de forma incorrecta, es decir, {10,12,3} ") \
  X(kMalformedHex, 166, "Valor hexadecimal de forma incorrecta") \
  X(kMacroStatementNotAllowed, 167, "La macro no puede contener esta declaración") \
  X(kMacroFunctionDeclaration, 168, "La macro no puede contener declaraciones de funciones") \
  X(kMacroSyntax, 169, "Error general de macro - mala sintaxis") \
  X(kMacroCallsMacro, 170, "Una macro no puede llamar a otra macro - cualquier '%' debe seguirse de un simple dígito") \
  X(kMacroUnknownCommand, 171, "Macro ejecución - no existe tal comando") \
  X(kMacroCommandNotAllowed, 172, "Macro ejecución - comando no permitido dentro de una macro") \
  X(kMacroTooManyArguments, 173, "Macro ejecución - demasiados parámetros para la macro") \
  X(kMacroUndefined, 174, "Macro ejecución - macro no definida, o escrita incorrectamente") \
  X(kMacroArgumentCount, 175, "Macro ejecución - numero de parámetros incorrectos (es decir, %3 en macro = 4 parámetros)") \
  X(kMacroParameterIndexMissing, 176, "Macro parámetro - falta el índice (es decir, debe ser de la forma %4)") \
  X(kMacroParameterIndexRange, 177, "Macro parámetro - el índice debe ser 0..5") \
  X(kMacroParameterTrailing, 178, "Macro parámetro - índice próximo basura (¿o mayor que 9?)") \
  X(kMacroParameterOutsideMacro, 179, "Macro parámetro - ¡solo debe usarse dentro de una macro!") \
  X(kLevelScrollTooFar, 180, "Desplazamiento del nivel demasiado grande (los desplazamiento de X e Y deben ser <= 8), pruebe utilizando una función más lenta 'LevelSetPos'") \
  X(kMissingLevelName, 181, "Falta el nombre del nivel") \
  X(kUnknownLevel, 182, "Nivel desconocido o mal escrito") \
  X(kLevelIndexOutOfRange, 183, "El ID del nivel está fuera de rango") \
  X(kLevelLayerOutOfRange, 184, "Capa de nivel fuera de límite (limitado de 0..3)") \
  X(kAssertionFailed, 185, "Afirmación ejecutada") \
  X(kBadLogFormat, 186, "Formato de nota inválido") \
  X(kVBlankWithParameters, 187, nullptr) \
  X(kHBlankWithParameters, 188, nullptr) \
  X(kHBlankTooManyLines, 189, "Demasiadas líneas de código para el gestor HBlank")
// clang-format on

// The named codes: err::kUnknownCommand is 3.
namespace err {
#define TARVOLIN_ERROR_NAME(name, code, message) inline constexpr ErrorCode name = code;
TARVOLIN_ERROR_LIST(TARVOLIN_ERROR_NAME)
#undef TARVOLIN_ERROR_NAME
}  // namespace err

// The message of a code; "Unknown error!" for codes without one.
std::string_view MessageFor(ErrorCode code);

// Whether the code has a message in the table.
bool HasMessage(ErrorCode code);

// Number of entries in the message table (186).
int MessageCount();

// Where a failing run was when it failed, for the status text.
enum class RunPlace { Frame, HBlank, VBlank };

// The current error and its detail text. Operations that fail record a code
// here and return false; only the latest error survives.
class ErrorState {
 public:
  // Records `code` as the current error and returns it.
  ErrorCode SetError(ErrorCode code) { code_ = code; return code; }
  ErrorCode GetError() const { return code_; }
  bool HasError() const { return code_ != err::kNone; }
  // The message of the current code.
  std::string_view ErrorText() const { return MessageFor(code_); }
  void SetErrorDetail(std::string_view text) { detail_.assign(text); }
  // Copies the detail and returns true only for codes that carry one
  // (156, 160, 161, 171, 172) and only when one was given.
  bool ErrorDetail(std::string& out) const;
  // Resets to "no error" (a run starts).
  void Clear() { code_ = err::kNone; detail_.clear(); }

  // The emulator's status text for a run-time error at a 1-based line:
  // "<Error de Ciclo: <msg> en la línea N", or the HBLANK / VBLANK forms,
  // followed by ", " and the detail where there is one.
  std::string StatusText(RunPlace place, int line) const;

 private:
  ErrorCode code_ = err::kNone;
  std::string detail_;
};

}  // namespace tarvolin
