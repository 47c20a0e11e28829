#include "ConsoleMessages.h"

#include "Cp1252.h"
#include "MessageStyle.h"

namespace orvane::messages {

ConsoleMessage pinTimeSyntax() {
  return {pt("A sintaxe de entrada do Horario de emissão não é válido.\n"
             " Insira com a sintaxe HH:MM"),
          std::nullopt, message::kOk};
}

ConsoleMessage pinTimeRange() {
  return {pt("Valores de Horário de emissão inválidos."), std::nullopt, message::kOk};
}

ConsoleMessage connectFailed() {
  return {pt("O Servidor não está presentemente a correr,\nou os dados não estão correctos.\n"
             "Verifique os valores e o sistema destino."),
          pt("Windows Socket connect ERROR   :-("), message::kOkStop};
}

ConsoleMessage serverReply(std::string text) {
  return {std::move(text), pt("Mensagem recebida por Socket."), message::kOk};
}

ConsoleMessage specialCharacters() {
  return {pt("Caracteres especiais não devem ser usados."),
          pt("ATENÇÃO - Possível perda de informação"), message::kOkInformation};
}

ConsoleMessage advancedFunctionsQuestion() {
  return {pt("O uso das funções avançadas podem actualizar dados que podem\n"
             "definir estados não aconcelhados a alterar - no entanto podem ser úteis.\n"
             "Quer mesmo assim activar as funções de update avançadas ?"),
          pt("ATENÇÃO : Importante !"), message::kYesNoQuestion};
}

ConsoleMessage exitWhileBusy() {
  return {pt("Não pode sair do programa enquanto estiver a ser\n"
             "enviado dados ao servidor, para que não haja bloqueios."),
          pt("Tentativa de encerramento falhada."), message::kOkInformation};
}

ConsoleMessage fieldTooLong(const std::string& fieldName) {
  return {pt("O campo ") + fieldName +
              pt(" tem demasiados caracteres para ser enviado ao servidor.\n"
                 "Encurte o texto e actualize de novo."),
          pt("Actualização não enviada."), message::kOkInformation};
}

}  // namespace orvane::messages
