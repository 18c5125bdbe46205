import { loadAddin, type Addin } from 'dfa-dates';
import { createHyperFormulaPlugin, dateConversion } from 'dfa-dates/hyperformula';

const addin: Addin = await loadAddin();
const weeks: number = addin.call('QvDate_WeeksInYear', 46023);
const toAddin = dateConversion({ leapYear1900: true });
const day: number | undefined = toAddin(61);
const { problems } = await createHyperFormulaPlugin({ addin });
console.log(weeks, day, problems.length, addin.versionInfo()?.[0]);
