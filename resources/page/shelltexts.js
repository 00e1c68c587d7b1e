// The page's own HTML is written in English; in another language its texts are replaced on
// start. An element names its text with data-text (its content) and data-attrs
// ("aria-label=close title=close": attribute=text name, separated by spaces).

import { pageLanguage } from './language.js';
import { tr } from './text.js';

function translateShell(top) {
  document.documentElement.lang = pageLanguage.language;
  document.title = tr('pageTitle');
  top.querySelectorAll('[data-text]').forEach(function (element) {
    element.textContent = tr(element.dataset.text);
  });
  top.querySelectorAll('[data-attrs]').forEach(function (element) {
    element.dataset.attrs.split(/\s+/).filter(Boolean).forEach(function (pair) {
      var cut = pair.indexOf('=');
      element.setAttribute(pair.slice(0, cut), tr(pair.slice(cut + 1)));
    });
  });
}
if (pageLanguage.language !== 'en') translateShell(document);
