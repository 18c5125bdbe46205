import { loadAddin } from './node_modules/dfa-dates/index.js';

const addin = await loadAddin();
postMessage(addin.call('QvDate_WeeksInYear', 46023));  // 1 January 2026
