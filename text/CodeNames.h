#pragma once

#include <array>
#include <string_view>

namespace orvane {

// The names the console's two code lists give the codes, in list order: the index is the code.
// Written in UTF-8 here; the console converts them to its code page, the encoder prints them.
inline constexpr std::array<std::string_view, 32> kProgrammeTypeNames = {
    "Não definido",   "Noticias",         "Actualidades",      "Informação",
    "Desporto",       "Educação",         "Rádio-Teatro",      "Cultura",
    "Ciência",        "Variado",          "Música Pop",        "Música Rock",
    "Música Ligeira", "Clássica Ligeira", "Música Clássica",   "Outras Músicas",
    "Meteorologia",   "Economia",         "Programa Infantil", "Acontecimentos Sociais",
    "Religião",       "Telefonemas",      "Viagens",           "Lazer",
    "Música de Jazz", "Música Country",   "Música Nacional",   "Música Antiga",
    "Música Folk",    "Documentário",     "Teste de Alarme",   "Alarme !!!"};

inline constexpr std::array<std::string_view, 8> kDecoderIdNames = {"Emissão Mono.",
                                                                    "Emissão Estereo.",
                                                                    "Não definido.",
                                                                    "Emissão Estereo Simulado.",
                                                                    "Emissão Mono com Dolby NR.",
                                                                    "Emissão Estereo com Dolby NR.",
                                                                    "Não definido.",
                                                                    "Emissão Estereo Expandido."};

}  // namespace orvane
