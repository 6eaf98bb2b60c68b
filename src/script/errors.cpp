#include "script/errors.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarvolin::script {

namespace {

struct Message {
  ErrorCode code;
  const char* text;
};

// Every message, in code order. Codes 6 and 165 keep their trailing blank.
constexpr Message kMessages[] = {
    {0, "Nada"},
    {1, "Texto adicional sobre la línea"},
    {2, "Parámetros insuficientes"},
    {3, "No existe tal comando"},
    {4, "No existe tal parámetro"},
    {5, "Función no definida"},
    {6, "Else mal ubicado "},
    {7, "End mal ubicado"},
    {8, "Se alcanzo el límite para la pila de funciones"},
    {10, "Se esperaba variable y se hallo una inmediata"},
    {11, "Número de parámetros para la función incorrectos"},
    {12, "Inmediata fuera de los límites"},
    {13, "No puede tomarse la dirección desde una inmediata"},
    {14, "El índice que identifica a la función está fuera de rango"},
    {15, "No pueden usarse comandos de iteración se forma repetida (aun...)"},
    {16, "Función desconocida, no puede proseguir la iteración"},
    {17, "La función espera un número de parámetros diferentes"},
    {18, "Falta el nombre del Recurso"},
    {19, "Recurso desconocido o mal escrito"},
    {20, "El índice que identifica al recurso está fuera del rango"},
    {21, "El rango del recurso está por debajo del actual ID del recurso (incrementar rango del recurso)"},
    {22, "Falta el nombre del Mapa de Fuente"},
    {23, "Mapa de Fuente desconocido o mal escrito"},
    {24, "Mapa de Fuente no configurado"},
    {25, "El índice que identifica al Mapa de Fuentes está fuera de rango"},
    {26, "Falta el nombre del ID de la Cadena"},
    {27, "ID de la cadena desconocido o mal escrito"},
    {28, "El índice que identifica a la Cadena está fuera de rango"},
    {29, "Falta el nombre de la Lista de Tiles"},
    {30, "Lista de Tiles desconocida o mal escrita"},
    {31, "El índice que identifica a la lista de tiles está fuera de rango"},
    {32, "Falta operador o es ilegal"},
    {33, "Es ilegal una declaración Else en el nivel de pila 0"},
    {34, "Es ilegal una declaración Else dentro de un bucle While"},
    {35, "Es ilegal una declaración Break en el nivel de pila 0"},
    {36, "Se esperaba una variable a la izquierda, pero no se encontró"},
    {37, "El parámetro a la izquierda debe ser una variable, no una inmediata"},
    {38, "Variable global no hallada en la lista (¿falta G_?)"},
    {39, "Prefijo de parámetro de función desconocido"},
    {40, "Sufijo de parámetro de función desconocido"},
    {41, "La función -Initialise- no debe tener parámetros"},
    {42, "Valor esperado 0..1 (verdadero/activo o falso/inactivo)"},
    {43, "Fin de archivo alcanzado - se necesita Retorno"},
    {45, "Definición no conocida"},
    {46, "Función sin retorno"},
    {47, "Función completa, aunque falta una declaración END"},
    {48, "Operador requiere dos parámetros"},
    {49, "Extensión de definición ilegal"},
    {50, "Son ilegales variables negativas"},
    {51, "Tipo de lenguaje inválido - utilice los enumeradores de cada #_LANG_XX"},
    {52, "El nivel de Break debe ser 0..16"},
    {53, "No se pueden interrumpir más niveles lógicos de los que haya anidados"},
    {54, "Operador de variable extendida no soportado - solo permitido + - *"},
    {55, "Mal formato para una variable extendida - es decir, V_LV0+7 (sin espacios)"},
    {56, "Valor de variable extendida fuera de los límites (debe estar dentro del rango 1..32)"},
    {57, "No se halló atributo de visualización"},
    {58, "Atributo de visualización de forma incorrecta"},
    {59, "Atributo de visualización desconocido"},
    {60, "Atributo de visualización fuera de los límites"},
    {61, "No se halló el Atributo de Mosaico"},
    {62, "Atributo de Mosaico de forma incorrecta"},
    {63, "Atributo de Mosaico desconocido"},
    {64, "Atributo de Mosaico fuera de los límites"},
    {65, "No se halló el Atributo de Transparencia"},
    {66, "Atributo de Transparencia de forma incorrecta"},
    {67, "Atributo de Transparencia desconocido"},
    {68, "Atributo de Transparencia fuera de los límites"},
    {69, "Capa Rotatoria Ilegal (0 = fondo2, 1 = fondo3)"},
    {70, "No se halló el Atributo del Fondo Rotatorio"},
    {71, "Atributo del Fondo Rotatorio de forma incorrecta"},
    {72, "Atributo del Fondo Rotatorio desconocido"},
    {73, "Atributo del Fondo Rotatorio fuera de los límites"},
    {74, "Ventana Ilegal (0..1 para región, 0..3 para atributo)"},
    {75, "No se halló atributo de ventana"},
    {76, "Atributo de Ventana de forma incorrecta"},
    {77, "Atributo de Ventana desconocido"},
    {78, "Atributo de Ventana fuera de los límites"},
    {79, "Índice de Sprite fuera de los límites (debe ser entre 0..127)"},
    {80, "Atributo del Sprite no hallado"},
    {81, "Atributo del Sprite de forma incorrecta"},
    {82, "Atributo del Sprite desconocido"},
    {83, "Atributo del Sprite fuera de los límites"},
    {84, "Atributo de rotación de forma incorrecta"},
    {85, "Índice de rotación fuera de los límites (debe ser entre 0..31)"},
    {86, "Parámetro de Rotar/Escalar fuera de los límites (¿cero ilegal?)"},
    {87, "Índice del Mapa de Pantalla fuera de los límites (debe ser entre 0..3)"},
    {88, "Índice de tile del Mapa de Pantalla fuera de los límites - (debe ser 0..1023)"},
    {89, "Falta el atributo del Mapa de Pantalla [xx]"},
    {90, "Atributo del Mapa de Pantalla de forma incorrecta (¿faltan [ ]?)"},
    {91, "Atributo del Mapa de Pantalla desconocido"},
    {92, "Atributo del Mapa de Pantalla fuera de los límites"},
    {93, "Coordenada X del Mapa de Pantalla fuera de los límites"},
    {94, "Coordenada Y del Mapa de Pantalla fuera de los límites"},
    {95, "Falta tipo de rotación o es desconocida : [arriba]"},
    {96, "Atributo de Tile fuera de los límites"},
    {97, "Desplazamiento fuera de límite (solo de 0..7)"},
    {98, "Índice de Paleta fuera de los límites (debe ser entre 0..15)"},
    {99, "Atributo de Paleta no hallado"},
    {100, "Atributo de Paleta de forma incorrecta"},
    {101, "Atributo de Paleta desconocido"},
    {102, "Color de Paleta fuera de los límites"},
    {103, "Atributo requerido de forma incorrecta '[atributo]'"},
    {104, "Atributo desconocido"},
    {105, "El recurso a reproducirse debe ser de tipo MOD o XM"},
    {106, "Falló la reproducción (falta el recurso, mal formato del MOD/XM, o error interno)"},
    {107, "El recurso no es de formato .WAV"},
    {108, "Fallo al reproducir sonido (¿error en el recurso?)"},
    {109, "No hay canales de sonido libres"},
    {110, "Valor para el canal de sonido fuera de los límites (0..31, -1 = cualquiera)"},
    {111, "Valor para la frecuencia del sonido fuera de los límites (1..450Khz)"},
    {112, "Valor para la curva tonal del sonido fuera de los límites (-450Khz..450Khz). La 'curva tonal + la frecuencia' deben estar dentro de 1..450Khz"},
    {113, "Valor para el volumen del sonido fuera de los límites (0 = mínimo, 64 = máximo)"},
    {114, "Valor para el balance estereofónico del sonido fuera de los límites (0 = todo izquierada, 128 = centro, 255 = todo derecha)"},
    {115, "Tipo de bucle desconocido (0 = hacia adelante y comenzar, 1 = hacia adelante y luego hacia atrás)"},
    {116, "Cantidad de bucles inválida (-1 = infinita, 0 = reproducir todo, 1..30000 cantidad)"},
    {117, "Inicio del bucle inválido (0 para comenzar desde el principio de la muestra)"},
    {118, "Fin del bucle inválido (0..1MB desplazamiento dentro de la muestra de sonido, 0 para terminar en el final de la muestra)"},
    {119, "Índice de arreglo de colisión inválido (0..1023)"},
    {120, "Los arreglos de colisión solo pueden albergar bytes (valor 0..255)"},
    {121, "Falta el nombre del Recorrido"},
    {122, "Nombre del Recorrido desconocido o mal escrito"},
    {123, "El índice que identifica al Recorrido está fuera de rango"},
    {124, "Falta el nombre del Arreglo"},
    {125, "Nombre del Arreglo desconocido o mal escrito"},
    {126, "Formato para el elemento del arreglo incorrecto 'Arreglo.Elemento'"},
    {127, "No se encontró el elemento en la definición del arreglo"},
    {128, "El índice está fuera de los límites del arreglo"},
    {129, "Rango inválido para ordenar"},
    {130, "Tipo de arreglo para la función ilegal (es decir, 2D en lugar de 1D)"},
    {131, "No se puede acceder directamente a elementos de tipo 3D"},
    {132, "Se ha pasado un tipo 3D incorrecto (es decir, 3DMatrix en lugar de 3DVector)"},
    {133, "Guardar Arreglo cancelado"},
    {134, "Ocurrió un error de archivo mientras se cargaba el arreglo"},
    {135, "Ocurrió un error de archivo mientras se guardaba el arreglo"},
    {136, "El tamaño del archivo no coincide con el tamaño del arreglo"},
    {137, "No se puede modificar la tabla, los datos están guardados en la ROM"},
    {138, "No se pueden copiar arreglos - tamaños diferentes"},
    {139, "Los comandos para buscar dentro de arreglos no pueden utilizar operadores ternarios (ej. >=< o <>)"},
    {140, "Mala alineación de memoria en los arreglos del sistema"},
    {141, "El valor no corresponde a un ID de arreglo válido"},
    {142, "Los arreglos de sistema no pueden ser asignados a una variable"},
    {143, "No se puede asignar a una variable el par Arreglo/Elemento"},
    {144, "Mal formato de la variable de arreglo : Arreglo.Elemento[Índice]"},
    {145, "Solo pueden ser referenciados con variables los primeros 256 arreglos"},
    {146, "Solo pueden ser referenciados con variables los primeros 256 elementos de cualquier arreglo"},
    {147, "Las extensiones para variables de arreglo se limitan a +/- 1..4"},
    {148, "Solo pueden usarse inmediatas 0..1023 para referenciar en una variable de arreglo"},
    {149, "Solo pueden usarse variables básicas para referenciar en una variable de arreglo (V_,R_,E_,Globales)"},
    {150, "Solo pueden usarse arreglos 1D como variable de arreglo"},
    {151, "El índice especificado (valor de variable posible) está fuera de los límites del arreglo"},
    {152, "No se halló Atributo de MemTamaño [xx]"},
    {153, "Atributo de MemTamaño de forma incorrecta (faltan [ ]?)"},
    {154, "Atributo de MemTamaño desconocido"},
    {155, "Tiempos de Ejecución - el tipo del recurso especificado no puede usarse para esta operación"},
    {156, "Tiempos de Ejecución - error al manipular el archivo de recurso"},
    {157, "Tiempos de Ejecución - el tipo de recurso no se puede decodificar"},
    {158, "Tiempos de Ejecución - el tipo de recurso no soporta el formato de imagen especificado en el comando actual"},
    {159, "Tiempos de Ejecución - el índice del recurso pasado a la macro está fuera del rango"},
    {160, "Tiempos de Ejecución - el archivo no existe"},
    {161, "Tiempos de Ejecución - el archivo no existe - posible índice de recuso ilegal"},
    {162, "Carácter 'comillas' de forma incorrecta"},
    {163, "Valor entero de forma incorrecta"},
    {164, "Valor binario de forma incorrecta"},
    {165, "RGB de forma incorrecta, es decir, {10,12,3} "},
    {166, "Valor hexadecimal de forma incorrecta"},
    {167, "La macro no puede contener esta declaración"},
    {168, "La macro no puede contener declaraciones de funciones"},
    {169, "Error general de macro - mala sintaxis"},
    {170, "Una macro no puede llamar a otra macro - cualquier '%' debe seguirse de un simple dígito"},
    {171, "Macro ejecución - no existe tal comando"},
    {172, "Macro ejecución - comando no permitido dentro de una macro"},
    {173, "Macro ejecución - demasiados parámetros para la macro"},
    {174, "Macro ejecución - macro no definida, o escrita incorrectamente"},
    {175, "Macro ejecución - numero de parámetros incorrectos (es decir, %3 en macro = 4 parámetros)"},
    {176, "Macro parámetro - falta el índice (es decir, debe ser de la forma %4)"},
    {177, "Macro parámetro - el índice debe ser 0..5"},
    {178, "Macro parámetro - índice próximo basura (¿o mayor que 9?)"},
    {179, "Macro parámetro - ¡solo debe usarse dentro de una macro!"},
    {180, "Desplazamiento del nivel demasiado grande (los desplazamiento de X e Y deben ser <= 8), pruebe utilizando una función más lenta 'LevelSetPos'"},
    {181, "Falta el nombre del nivel"},
    {182, "Nivel desconocido o mal escrito"},
    {183, "El ID del nivel está fuera de rango"},
    {184, "Capa de nivel fuera de límite (limitado de 0..3)"},
    {185, "Afirmación ejecutada"},
    {186, "Formato de nota inválido"},
    {189, "Demasiadas líneas de código para el gestor HBlank"},
};

constexpr std::string_view kUnknown = "Unknown error!";

}  // namespace

std::string_view MessageFor(ErrorCode code) {
  for (const Message& m : kMessages)
    if (m.code == code) return m.text;
  return kUnknown;
}

bool HasMessage(ErrorCode code) {
  return std::any_of(std::begin(kMessages), std::end(kMessages),
                     [code](const Message& m) { return m.code == code; });
}

int MessageCount() { return static_cast<int>(std::size(kMessages)); }

bool ErrorState::ErrorDetail(std::string& out) const {
  switch (code_) {
    case 156: case 160: case 161: case 171: case 172:
      out = detail_;
      return true;
    default:
      return false;
  }
}

std::string ErrorState::StatusText(RunPlace place, int line) const {
  const char* prefix = place == RunPlace::Frame    ? "<Error de Ciclo: <"
                       : place == RunPlace::HBlank ? "<HBLANK ERR: <"
                                                   : "<VBLANK ERR: <";
  std::string text = prefix;
  text += ErrorText();
  text += "> en la línea ";
  text += std::to_string(line);
  std::string detail;
  if (ErrorDetail(detail)) {
    text += ", ";
    text += detail;
  }
  return text;
}

}  // namespace tarvolin::script
